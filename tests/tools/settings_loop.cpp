// The agent's settings check and nothing else: an event loop whose only work is the once-a-second
// refresh of the shared suite given as the first argument. The idle benchmark measures it beside
// the agent, under the same conditions, as the least an idle agent can cost.
//   settings_loop FILE [RESIDENT_MB]
// With RESIDENT_MB it also holds that much memory, written to so that it is resident: on a virtual
// machine a wake-up costs more the larger the process, so this is the least an idle process of
// the agent's size can cost.
#include "Preferences.h"
#include "UserDefaults.h"

#include <QCoreApplication>
#include <cstdio>
#include <cstring>
#include <memory>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (app.arguments().size() < 2) {
        std::fprintf(stderr, "usage: settings_loop FILE\n");
        return 2;
    }
    const size_t residentBytes = size_t(app.arguments().value(2).toUInt()) << 20;
    std::unique_ptr<char[]> ballast(new char[residentBytes + 1]);
    std::memset(ballast.get(), 1, residentBytes + 1);
    UserDefaults suite(app.arguments().at(1));
    Preferences preferences(suite);
    preferences.startRefreshTimer();
    return app.exec();
}
