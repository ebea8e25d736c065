// The agent's settings check and nothing else: an event loop whose only work is the once-a-second
// refresh of the shared suite given as the first argument. The idle benchmark measures it beside
// the agent, under the same conditions, as the least an idle agent can cost.
//   settings_loop FILE
#include "Preferences.h"
#include "UserDefaults.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (app.arguments().size() < 2) {
        std::fprintf(stderr, "usage: settings_loop FILE\n");
        return 2;
    }
    UserDefaults suite(app.arguments().at(1));
    Preferences preferences(suite);
    preferences.startRefreshTimer();
    return app.exec();
}
