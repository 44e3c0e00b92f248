// vkm: the configurator. Start-up creates the link session (vkm.ini, port,
// log, protocol), the main window and every dialog once, then runs the
// event loop until the main window closes.

#include "app/application.h"
#include "app/sdimain.h"
#include "app/ui/qtprompter.h"
#include "link/session.h"

#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv)
{
    QElapsedTimer started;
    started.start();
    vkm::VkmApplication app(argc, argv);
    vkm::QtPrompter prompts;
    app.setPrompter(&prompts);

    vkm::LinkSession link;
    vkm::TSDIAppForm form(link, prompts);

    // VKM_SCREENSHOT=FILE: save a picture of the main window after a moment
    // and quit (the demo script without a display).
    const QString shot = qEnvironmentVariable("VKM_SCREENSHOT");
    if (!shot.isEmpty()) {
        QTimer::singleShot(1500, &app, [&] {
            form.grab().save(shot);
            app.quit();
        });
    }

    // VKM_STARTUP_PROBE=1: print the time to the first shown window and the
    // resident size, then quit (used by the start-up benchmark).
    if (qEnvironmentVariableIntValue("VKM_STARTUP_PROBE") == 1) {
        QTimer::singleShot(0, &app, [&] {
            long rssKb = 0;
            if (FILE* f = std::fopen("/proc/self/statm", "r")) {
                long pages = 0, resident = 0;
                if (std::fscanf(f, "%ld %ld", &pages, &resident) == 2)
                    rssKb = resident * 4;
                std::fclose(f);
            }
            std::printf("startup_ms %lld\nstartup_rss_kb %ld\n", static_cast<long long>(started.elapsed()), rssKb);
            std::fflush(stdout);
            app.quit();
        });
    }
    // Set before show(): a port error box shown by the first showing runs
    // its own loop, and the probe fires there too.
    form.show();
    return app.exec();
}
