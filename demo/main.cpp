// The demo application: the library's components on a sample plan. With --snapshot DIR, or
// when there is no display, it renders each window to DIR/<name>.png and exits.
#include "demo/xoDemoForms.h"
#include "demo/xoDemoPlan.h"
#include "demo/xoDemoScalers.h"
#include "demo/xoDemoTree.h"

#include "platform/plForms.h"
#include "platform/plMessages.h"
#include "platform/plPrinters.h"
#include "platform/plTestInput.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>

namespace {

int Usage() {
    std::fprintf(stderr, "usage: xoStintDemo [--snapshot DIR] [--print FILE.pdf]\n");
    return 2;
}

// Renders every window, headless, into aDir; answers the exit code.
int Snapshots(const String& aDir, TForm* const* aForms, int aCount) {
    std::error_code ec;
    std::filesystem::create_directories(aDir, ec);
    if (ec) {
        std::fprintf(stderr, "Cannot create %s: %s\n", aDir.c_str(), ec.message().c_str());
        return 1;
    }
    for (int i = 0; i < aCount; ++i) {
        TForm* f = aForms[i];
        xo::test::ShowForm(f);
        String file = (std::filesystem::path(aDir) / (f->Name() + ".png")).string();
        try {
            xo::test::SaveSnapshot(f, file);
        } catch (const Exception& e) {
            std::fprintf(stderr, "%s\n", e.what());
            return 1;
        }
        std::printf("%s\n", file.c_str());
        f->Hide();
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    String snapshotDir, printFile;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--snapshot") == 0 && i + 1 < argc)
            snapshotDir = argv[++i];
        else if (std::strcmp(argv[i], "--print") == 0 && i + 1 < argc)
            printFile = argv[++i];
        else
            return Usage();
    }
    // Snapshots and prints never open windows, also on a desktop.
    if (!snapshotDir.empty() || !printFile.empty()) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    TApplication::Initialize(argc, argv);
    TApplication* app = Application();
    app->SetTitle("xoStint demo");
    if (snapshotDir.empty() && printFile.empty() && !app->HasDisplay()) {
        snapshotDir = "snapshots";
        std::printf("No display: rendering the demo's windows to %s/ instead.\n", snapshotDir.c_str());
    }

    const TDemoPlan& plan = DemoPlan();
    auto mainForm = std::make_unique<TDemoMainForm>(nullptr, plan);
    auto about = std::make_unique<TDemoAboutForm>(nullptr);
    mainForm->SetCaption("xoStint demo: a sample plan of " + std::to_string(plan.Tasks.size()) + " rows");
    mainForm->SetOnAbout([&](TObject*) { about->Show(); });
    auto scalers = std::make_unique<TDemoScalerForm>(nullptr);
    auto tree = std::make_unique<TDemoTreeForm>(nullptr, plan);

    if (!printFile.empty()) {
        try {
            xo::test::ShowForm(scalers.get());
            TPdfPrinter printer(printFile, 192, 297.0, 210.0); // A4 landscape, twice the screen scale
            scalers->PrintScalers(&printer);
            printer.EndDoc();
        } catch (const Exception& e) {
            std::fprintf(stderr, "%s\n", e.what());
            return 1;
        }
        std::printf("%s\n", printFile.c_str());
        return 0;
    }
    if (!snapshotDir.empty()) {
        TForm* const forms[] = {mainForm.get(), scalers.get(), tree.get(), about.get()};
        return Snapshots(snapshotDir, forms, 4);
    }
    scalers->Show();
    tree->Show();
    app->SetMainForm(mainForm.get());
    mainForm->Show();
    return app->Run();
}
