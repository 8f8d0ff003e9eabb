// Everything the framework offers, in one include.
#pragma once

#include <framework/Geometry.h>
#include <framework/Module.h>
#include <framework/Object.h>
#include <framework/String.h>
