#pragma once

#include "AppDelegate.h"
#include "ApplicationLauncher.h"
#include "DistributedNotificationCenter.h"
#include "FakePlayer.h"
#include "FakeScreenList.h"
#include "LocalVideoDBManager.h"
#include "NotificationCenter.h"
#include "Preferences.h"
#include "ProtocolTestServer.h"
#include "StatusBarManager.h"
#include "TestHome.h"
#include "UserDefaults.h"
#include "VideoPlayerManager.h"
#include "WebModel.h"
#include "WorkspaceMonitor.h"

#include <functional>
#include <memory>
#include <vector>

// The whole agent for one test: a suite file and a library of its own, test screens, a test player,
// the protocol test server behind a fresh client, the player manager, the menu and the delegate.
// Nothing is built until build() runs, so a test can first put values into the suite.
class AgentTestRig {
public:
    explicit AgentTestRig(std::vector<QRect> screens = {QRect(0, 0, 1920, 1080)});
    ~AgentTestRig();

    // Writes into the suite before anything reads it (as the other program would have left it).
    void preset(const std::function<void(UserDefaults&)>& write);
    // Makes the settings object, the player manager, the menu and the delegate (not started).
    void build();
    // The other program changes the suite; the one-second refresh then picks it up.
    void otherProgramWrites(const std::function<void(UserDefaults&)>& write);
    // A file in the library and its row; returns its sign.
    QString addClip(const QString& name);

    TestHome home;
    std::unique_ptr<UserDefaults> suite;
    std::unique_ptr<UserDefaults> standardDefaults;
    std::unique_ptr<LocalVideoDBManager> database;
    FakeScreenList screens;
    WorkspaceMonitor workspace;
    DistributedNotificationCenter distributedCenter;
    NotificationCenter center;
    ProtocolTestServer server;
    // Finds no program unless a test puts one into `launcher`'s folders.
    ApplicationLauncher launcher{QStringList{}, QStringList{}};
    std::unique_ptr<Preferences> preferences;
    std::unique_ptr<WebModel> webModel;
    std::unique_ptr<VideoPlayerManager> manager;
    std::unique_ptr<StatusBarManager> menu;
    std::unique_ptr<AppDelegate> delegate;
    FakePlayer* player = nullptr; // made by the manager on first use

private:
    int m_clips = 0;
};
