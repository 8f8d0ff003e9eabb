#pragma once

// The test programs' own top-level window.
#define IDD_TEST_HOST 900
