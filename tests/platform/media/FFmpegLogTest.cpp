#include "FFmpegLog.h"

#include <QLoggingCategory>
#include <QString>
#include <QStringList>
#include <QTemporaryFile>
#include <gtest/gtest.h>
#include <unistd.h>

extern "C" {
#include <libavutil/log.h>
}

namespace {
QStringList messages;

void collect(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    messages.append(QString::number(int(type)) + ' ' + QString::fromLatin1(context.category) + ' ' + text);
}

// Whatever is written to the process's standard error while `write` runs.
template <typename Write> QByteArray standardErrorOf(Write write) {
    QTemporaryFile file;
    if (!file.open())
        return "cannot capture";
    std::fflush(stderr);
    const int saved = dup(STDERR_FILENO);
    dup2(file.handle(), STDERR_FILENO);
    write();
    std::fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
    file.seek(0);
    return file.readAll();
}

class FFmpegLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        messages.clear();
        previous = qInstallMessageHandler(collect);
        FFmpegLog::install();
    }
    void TearDown() override {
        qInstallMessageHandler(previous);
        QLoggingCategory::setFilterRules(QString());
    }
    QtMessageHandler previous = nullptr;
};
} // namespace

TEST_F(FFmpegLogTest, LibraryComplaintsStayOffTheTerminalUnlessAskedFor) {
    const QByteArray written = standardErrorOf([] {
        av_log(nullptr, AV_LOG_ERROR, "Cannot load libcuda.so.1\n");
        av_log(nullptr, AV_LOG_WARNING, "Could not dynamically load CUDA\n");
        av_log(nullptr, AV_LOG_DEBUG, "probing\n");
    });
    EXPECT_EQ(written, QByteArray()) << written.toStdString();
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();

    QLoggingCategory::setFilterRules("zerafin.ffmpeg.info=true");
    av_log(nullptr, AV_LOG_ERROR, "Cannot load libcuda.so.1\n");
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0], QString::number(int(QtInfoMsg)) + " zerafin.ffmpeg Cannot load libcuda.so.1");
}

TEST_F(FFmpegLogTest, FatalLinesAreWarningsOfTheCategory) {
    const QByteArray written = standardErrorOf([] { av_log(nullptr, AV_LOG_FATAL, "out of memory\n"); });
    EXPECT_EQ(written, QByteArray());
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0], QString::number(int(QtWarningMsg)) + " zerafin.ffmpeg out of memory");
}
