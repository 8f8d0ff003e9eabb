// Everything the framework offers, in one include.
#pragma once

#include <framework/App.h>
#include <framework/Clipboard.h>
#include <framework/CmdTarget.h>
#include <framework/CmdUI.h>
#include <framework/CommonControls.h>
#include <framework/CommonDialogs.h>
#include <framework/Controls.h>
#include <framework/DataExchange.h>
#include <framework/Dc.h>
#include <framework/Dialog.h>
#include <framework/Exception.h>
#include <framework/File.h>
#include <framework/Gdi.h>
#include <framework/Geometry.h>
#include <framework/MessageMap.h>
#include <framework/Menu.h>
#include <framework/Module.h>
#include <framework/Object.h>
#include <framework/Seams.h>
#include <framework/String.h>
#include <framework/StringList.h>
#include <framework/Time.h>
#include <framework/View.h>
#include <framework/Wnd.h>
