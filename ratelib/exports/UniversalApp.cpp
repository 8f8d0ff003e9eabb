// The library's application object: it starts with the library and gives the framework the
// library's module for its dialog template. The sockets layer is not started here but by each
// discovery for its own length, so loading the library never touches the network stack.
#include <framework/App.h>

class COstrel_UniversalApp : public CWinApp {
public:
    COstrel_UniversalApp() : CWinApp(L"Sorvane") {}
    BOOL InitInstance() override { return TRUE; }
};

COstrel_UniversalApp theApp;
