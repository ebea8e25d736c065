#pragma once

#include "Player.h"

#include <QHash>
#include <atomic>
#include <memory>

struct mpv_handle;
struct mpv_event_log_message;
struct mpv_render_context;
class QOpenGLContext;
class QOffscreenSurface;
class QOpenGLFramebufferObject;

// The player over libmpv. One mpv handle decodes (hardware decoding where it is safe); one render
// context draws each new frame once into a framebuffer object whose texture every view samples.
// The OpenGL context used for that belongs to the application's shared context group (the
// application sets Qt::AA_ShareOpenGLContexts), so the views' contexts can read the texture.
// Without OpenGL the player still plays (sound only) and its views stay black.
class MpvPlayer : public Player {
    Q_OBJECT
public:
    struct Options {
        // Also plays http and https addresses (a preview clip on the server). Off: local regular
        // files only, as a wallpaper needs.
        bool allowWebAddresses = false;
    };

    explicit MpvPlayer(QObject* parent = nullptr);
    explicit MpvPlayer(Options options, QObject* parent = nullptr);

    const Options& options() const { return m_options; }
    ~MpvPlayer() override;

    // mpv's volume scale is cubic (100 = unchanged gain); a linear gain g maps to 100 * cbrt(g).
    static double mpvVolumeForGain(float gain);

    bool isValid() const { return m_mpv != nullptr; }
    bool canRender() const { return m_render != nullptr; }

    std::optional<QString> currentItem() const override { return m_item; }
    void replaceCurrentItem(const std::optional<QString>& path) override;
    void play() override;
    void pause() override;
    bool isPlaying() const override { return m_playing; }
    void seekToZero() override;
    bool isMuted() const override { return m_muted; }
    void setMuted(bool muted) override;
    float volume() const override { return m_volume; }
    void setVolume(float volume) override;

    Frame currentFrame() const override { return m_frame; }
    void setViewSize(const void* view, QSize pixels) override;
    void removeView(const void* view) override;

    // mpv's "hwdec" option as this player last set it: "no" once the process found no hardware
    // decoder (see HardwareDecoding).
    QByteArray hwdecOption() const { return m_hwdec; }

private:
    void setUpRendering();
    void drainEvents();
    void renderFrame();
    QSize renderSize() const;
    void setFlag(const char* name, bool value);
    void loadAccepted(const struct mpv_event* reply);
    // Tells the process which decoder took the video just started.
    void reportDecoder();
    // Takes up what the process learnt about hardware decoding, before a load.
    void followHardwareDecoding();
    void logMessage(const mpv_event_log_message* message);
    // Reports the current item as failed, once.
    void failCurrentItem(const QString& reason);

    Options m_options;
    mpv_handle* m_mpv = nullptr;
    mpv_render_context* m_render = nullptr;
    std::unique_ptr<QOpenGLContext> m_context;
    std::unique_ptr<QOffscreenSurface> m_surface;
    std::unique_ptr<QOpenGLFramebufferObject> m_fbo;

    std::optional<QString> m_item;
    bool m_playing = false;
    bool m_muted = false;
    float m_volume = 1.0f;
    // Events are reported only for the entry of the latest load: an item replaced before it even
    // started leaves no trace (mpv may never start it, so nothing may wait for it).
    quint64 m_loadRequest = 0;
    // The latest load was accepted; its entry is the next one to start (when the reply named none).
    bool m_awaitingStart = false;
    qint64 m_expectedEntry = -1;
    qint64 m_currentEntry = -1;
    // The expected entry has been opened; its end counts from then on.
    bool m_started = false;
    // The decoder of the started entry has been reported.
    bool m_decoderReported = false;
    QByteArray m_hwdec;
    QSize m_videoSize;
    Frame m_frame;
    QHash<const void*, QSize> m_viewSizes;

    std::atomic_bool m_eventsQueued{false};
    std::atomic_bool m_renderQueued{false};
};
