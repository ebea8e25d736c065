#pragma once

#include <QString>
#include <optional>

// What the running program knows about itself: its identifier (the D-Bus name it owns, the name of
// its own folders) and the version information it was built with.
class Bundle {
public:
    // "com.tovan.zerafinHelper" in the agent, "com.tovan.zerafin.macOS" in the main application;
    // std::nullopt until main() names the program.
    static std::optional<QString> identifier();
    static void setIdentifier(const QString& identifier);

    // The short version ("1.2.0") and the build number, each absent when the build gave none.
    static std::optional<QString> shortVersion();
    static std::optional<QString> buildNumber();

    // Folder holding the program's executable (its siblings are the other programs).
    static QString executableDirectory();
};
