// Vorels-NIC's entry: the application object and the framework's program start.
#include "main/Vorel_TAP_Test3App.h"

CVorel_TAP_Test3App theApp;

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPWSTR lpCmdLine, int nCmdShow) {
    return AfxWinMain(hInstance, hPrevInstance, lpCmdLine, nCmdShow);
}
