// What the stand-in visual-styles library records and answers. The test owns the record and names
// its address in the environment variable FAKE_UXTHEME_LOG, so the record outlives the library being
// unloaded and loaded again.
#pragma once

#include <windows.h>

struct FakeThemeLog {
    int opens;
    int closes;
    int backgrounds;
    int texts;
    int drawnParts[16];   // part * 100 + state of each background drawn, in order
    HRESULT textResult;
    BOOL appThemed;
    BOOL themeActive;
    int transparentPart;  // IsThemeBackgroundPartiallyTransparent answers TRUE for this part
};
