// Plays "the other program": opens the shared suite file given as the first argument and applies
// the changes that follow, each synchronized, the way the other program's setters do.
//   suite_writer FILE int:Key=3 bool:Key=true float:Key=0.3 string:Key=text remove:Key
#include "UserDefaults.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: suite_writer FILE CHANGE...\n");
        return 2;
    }
    UserDefaults suite(args.at(1));
    for (int i = 2; i < args.size(); ++i) {
        const QString change = args.at(i);
        const QString kind = change.section(QLatin1Char(':'), 0, 0);
        const QString rest = change.section(QLatin1Char(':'), 1);
        const QString key = rest.section(QLatin1Char('='), 0, 0);
        const QString value = rest.section(QLatin1Char('='), 1);
        if (kind == QLatin1String("int"))
            suite.setInteger(value.toLongLong(), key);
        else if (kind == QLatin1String("bool"))
            suite.setBool(value == QLatin1String("true"), key);
        else if (kind == QLatin1String("float"))
            suite.setFloat(value.toFloat(), key);
        else if (kind == QLatin1String("string"))
            suite.setString(value, key);
        else if (kind == QLatin1String("remove"))
            suite.removeObject(key);
        else {
            std::fprintf(stderr, "unknown change %s\n", qPrintable(change));
            return 2;
        }
        suite.synchronize();
    }
    return 0;
}
