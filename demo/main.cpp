// The demo application: shows the library's components on a sample plan.
#include "platform/plMessages.h"

#include <cstdio>

int main(int argc, char** argv) {
    TApplication::Initialize(argc, argv);
    TApplication* app = Application();
    app->SetTitle("xoStint demo");
    const char* about = "xoStint: visual components for planning and scheduling applications.";
    if (!app->HasDisplay()) {
        std::printf("%s\nNo display: nothing to show.\n", about);
        return 0;
    }
    ShowMessage(about);
    return 0;
}
