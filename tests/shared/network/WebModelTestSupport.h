#pragma once

#include "ProtocolTestServer.h"
#include "TestHome.h"
#include "UserDefaults.h"
#include "WebModel.h"

#include <gtest/gtest.h>
#include <memory>

// A fresh client against a fresh protocol test server, with defaults files of its own.
class WebModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.start());
        standard = std::make_unique<UserDefaults>(home.file("standard.ini"));
        suite = std::make_unique<UserDefaults>(home.file("suite.ini"));
        suite->setString("TEST-INSTALLATION", "uuid");
        client = makeClient();
    }

    std::unique_ptr<WebModel> makeClient(std::optional<Envelope> envelope = std::nullopt, QUrl base = {}) {
        WebModel::Options options;
        options.baseURL = base.isEmpty() ? server.baseUrl() : base;
        options.standardDefaults = standard.get();
        options.suite = suite.get();
        options.envelope = envelope;
        options.scheduleRefreshes = false;
        return std::make_unique<WebModel>(options);
    }

    // The one request of `operation` the server received, once it arrived.
    ProtocolTestServer::ReceivedRequest received(const QString& operation) {
        EXPECT_TRUE(TestHome::waitUntil([&] { return !server.requestsFor(operation).isEmpty(); }));
        const auto found = server.requestsFor(operation);
        return found.isEmpty() ? ProtocolTestServer::ReceivedRequest{} : found.last();
    }

    // A base URL where nothing listens.
    static QUrl deadServer() {
        ProtocolTestServer probe;
        probe.start();
        return probe.baseUrl(); // closed when the probe goes
    }

    TestHome home;
    ProtocolTestServer server;
    std::unique_ptr<UserDefaults> standard;
    std::unique_ptr<UserDefaults> suite;
    std::unique_ptr<WebModel> client;
};

// Waits for a completion's result.
template <typename T> struct Outcome {
    bool called = false;
    T value{};
    bool wait() {
        return TestHome::waitUntil([this] { return called; });
    }
    auto setter() {
        return [this](T v) {
            EXPECT_FALSE(called) << "completion called twice";
            value = std::move(v);
            called = true;
        };
    }
};
