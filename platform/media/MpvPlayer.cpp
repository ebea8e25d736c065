#include "MpvPlayer.h"
#include "FFmpegLog.h"
#include "HardwareDecoding.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QMetaObject>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QOpenGLFunctions>
#include <QUrl>
#include <cmath>
#include <mpv/client.h>
#include <mpv/render_gl.h>

namespace {
Q_LOGGING_CATEGORY(lcPlayer, "zerafin.player")
// mpv's own messages; off below warnings unless asked for (QT_LOGGING_RULES="zerafin.mpv.info=true").
Q_LOGGING_CATEGORY(lcMpv, "zerafin.mpv", QtWarningMsg)

void* procAddress(void* context, const char* name) {
    auto* gl = static_cast<QOpenGLContext*>(context);
    return reinterpret_cast<void*>(gl->getProcAddress(name));
}

// Options fixed for every run: render through our OpenGL context, keep the item at its end with
// the rate unchanged (the owner decides what comes next), never quit when idle, play silently
// when no audio device exists, and read no user configuration or key bindings.
const char* const kOptions[][2] = {
    {"vo", "libmpv"},
    // A wallpaper needs no more decoding threads than this; each one holds frames of its own.
    {"vd-lavc-threads", "2"},
    {"keep-open", "yes"},
    {"keep-open-pause", "no"},
    {"idle", "yes"},
    {"audio-fallback-to-null", "yes"},
    {"config", "no"},
    {"load-scripts", "no"},
    // mpv's built-in scripts (statistics page, console, conditional profiles) each run a thread of
    // their own that wakes on property changes; a wallpaper shows none of them.
    {"load-stats-overlay", "no"},
    {"load-osd-console", "no"},
    {"load-auto-profiles", "no"},
    {"input-default-bindings", "no"},
    {"input-vo-keyboard", "no"},
    {"osc", "no"},
    {"ytdl", "no"},
    // Nothing on the terminal: mpv's messages arrive as events and go to a logging category.
    {"terminal", "no"},
    // A wallpaper is one local file. mpv would otherwise expand playlists, EDL and HLS files into
    // entries of their own (which the owner never asked for and cannot follow) and open the other
    // files and network addresses they name: references are refused, so such a file fails to load.
    {"access-references", "no"},
    {"load-unsafe-playlists", "no"},
};

// Whatever FFmpeg opens on its own (segments, nested inputs) may only be a local file, or, for a
// player allowed web addresses, what an http or https transfer needs.
void confineProtocols(mpv_handle* mpv, bool allowWebAddresses) {
    char key[] = "protocol_whitelist";
    char localOnly[] = "file";
    char withWeb[] = "file,http,https,tcp,tls,crypto";
    mpv_node values[] = {{{.string = allowWebAddresses ? withWeb : localOnly}, MPV_FORMAT_STRING}};
    char* keys[] = {key};
    mpv_node_list map{1, values, keys};
    mpv_node node{{.list = &map}, MPV_FORMAT_NODE_MAP};
    mpv_set_option(mpv, "demuxer-lavf-o", MPV_FORMAT_NODE, &node);
}

// Only a regular file named by an absolute path is handed to mpv: anything else would be read as
// an address (a protocol prefix), block the player (a FIFO or device) or list a folder.
bool isPlayableFile(const QString& path) {
    if (!path.startsWith(QLatin1Char('/')))
        return false;
    const QFileInfo info(path);
    return info.isFile() && info.isReadable();
}

// An http or https address with a host, written out in full.
bool isWebAddress(const QString& text) {
    const QUrl url(text, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    return url.isValid() && !url.host().isEmpty() &&
           (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}
} // namespace

MpvPlayer::MpvPlayer(QObject* parent) : MpvPlayer(Options{}, parent) {}

MpvPlayer::MpvPlayer(Options options, QObject* parent) : Player(parent), m_options(options) {
    m_mpv = mpv_create();
    if (!m_mpv) {
        qCWarning(lcPlayer) << "video player could not be created";
        return;
    }
    for (const auto& option : kOptions)
        mpv_set_option_string(m_mpv, option[0], option[1]);
    // Hardware decoding where it works; where an earlier load found none, no new search.
    m_hwdec = HardwareDecoding::shared().hwdecOption();
    mpv_set_option_string(m_mpv, "hwdec", m_hwdec.constData());
    confineProtocols(m_mpv, m_options.allowWebAddresses);
    if (mpv_initialize(m_mpv) < 0) {
        qCWarning(lcPlayer) << "video player could not be started";
        mpv_terminate_destroy(m_mpv);
        m_mpv = nullptr;
        return;
    }
    // The first mpv of the process routes FFmpeg's log lines to itself; they go to ours instead.
    FFmpegLog::install();
    mpv_request_log_messages(m_mpv, "warn");
    mpv_observe_property(m_mpv, 0, "eof-reached", MPV_FORMAT_FLAG);
    mpv_observe_property(m_mpv, 0, "dwidth", MPV_FORMAT_INT64);
    mpv_observe_property(m_mpv, 0, "dheight", MPV_FORMAT_INT64);
    setFlag("pause", true);
    setVolume(m_volume);
    setMuted(m_muted);

    // mpv calls this from its own threads; the events are read on the player's thread.
    mpv_set_wakeup_callback(
        m_mpv,
        [](void* data) {
            auto* self = static_cast<MpvPlayer*>(data);
            if (!self->m_eventsQueued.exchange(true))
                QMetaObject::invokeMethod(
                    self, [self] { self->drainEvents(); }, Qt::QueuedConnection);
        },
        this);
    setUpRendering();
}

MpvPlayer::~MpvPlayer() {
    if (!m_mpv)
        return;
    mpv_set_wakeup_callback(m_mpv, nullptr, nullptr);
    if (m_render) {
        m_context->makeCurrent(m_surface.get());
        mpv_render_context_set_update_callback(m_render, nullptr, nullptr);
        mpv_render_context_free(m_render);
        m_fbo.reset();
        m_context->doneCurrent();
    }
    mpv_terminate_destroy(m_mpv);
}

double MpvPlayer::mpvVolumeForGain(float gain) {
    if (!(gain > 0.0f))
        return 0.0;
    return 100.0 * std::cbrt(std::min(gain, 1.0f));
}

void MpvPlayer::setUpRendering() {
    // Without a renderer, frames are still decoded and timed (items end as they should), just not
    // shown.
    auto withoutPicture = [this] { mpv_set_property_string(m_mpv, "vo", "null"); };
    if (!QGuiApplication::instance())
        return withoutPicture();
    m_context = std::make_unique<QOpenGLContext>();
    m_context->setShareContext(QOpenGLContext::globalShareContext());
    if (!m_context->create()) {
        qCWarning(lcPlayer) << "no OpenGL context for video; playing without picture";
        m_context.reset();
        return withoutPicture();
    }
    m_surface = std::make_unique<QOffscreenSurface>();
    m_surface->setFormat(m_context->format());
    m_surface->create();
    if (!m_context->makeCurrent(m_surface.get())) {
        qCWarning(lcPlayer) << "no OpenGL surface for video; playing without picture";
        m_surface.reset();
        m_context.reset();
        return withoutPicture();
    }
    mpv_opengl_init_params glInit{procAddress, m_context.get()};
    const char* api = MPV_RENDER_API_TYPE_OPENGL;
    std::vector<mpv_render_param> params{{MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(api)},
                                         {MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &glInit}};
    // Hardware decoders on X11 hand frames over through the X display.
    if (auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>())
        params.push_back({MPV_RENDER_PARAM_X11_DISPLAY, x11->display()});
    params.push_back({MPV_RENDER_PARAM_INVALID, nullptr});
    if (mpv_render_context_create(&m_render, m_mpv, params.data()) < 0) {
        qCWarning(lcPlayer) << "video renderer could not be created; playing without picture";
        m_render = nullptr;
        withoutPicture();
    } else {
        mpv_render_context_set_update_callback(
            m_render,
            [](void* data) {
                auto* self = static_cast<MpvPlayer*>(data);
                if (!self->m_renderQueued.exchange(true))
                    QMetaObject::invokeMethod(
                        self, [self] { self->renderFrame(); }, Qt::QueuedConnection);
            },
            this);
    }
    m_context->doneCurrent();
}

void MpvPlayer::setFlag(const char* name, bool value) {
    if (!m_mpv)
        return;
    int flag = value ? 1 : 0;
    mpv_set_property_async(m_mpv, 0, name, MPV_FORMAT_FLAG, &flag);
}

void MpvPlayer::replaceCurrentItem(const std::optional<QString>& path) {
    m_item = path;
    if (!m_mpv)
        return;
    // Whatever was asked for before is forgotten, started or not.
    ++m_loadRequest;
    m_awaitingStart = false;
    m_expectedEntry = -1;
    m_started = false;
    if (path && !isPlayableFile(*path) && !(m_options.allowWebAddresses && isWebAddress(*path))) {
        // Nothing of the previous item goes on showing, and the failure arrives later, as mpv's
        // own failures do, unless another item replaces this one first.
        const char* command[] = {"stop", nullptr};
        mpv_command_async(m_mpv, 0, command);
        m_frame = {};
        emit frameReady();
        const quint64 request = m_loadRequest;
        QMetaObject::invokeMethod(
            this,
            [this, request] {
                if (request == m_loadRequest && m_item)
                    failCurrentItem(QStringLiteral("not a readable regular file"));
            },
            Qt::QueuedConnection);
    } else if (path) {
        followHardwareDecoding();
        const QByteArray file = path->toUtf8();
        const char* command[] = {"loadfile", file.constData(), "replace", nullptr};
        mpv_command_async(m_mpv, m_loadRequest, command);
    } else {
        const char* command[] = {"stop", nullptr};
        mpv_command_async(m_mpv, 0, command);
        m_frame = {};
        emit frameReady();
    }
}

void MpvPlayer::play() {
    m_playing = true;
    setFlag("pause", false);
}

void MpvPlayer::pause() {
    m_playing = false;
    setFlag("pause", true);
}

void MpvPlayer::seekToZero() {
    if (!m_mpv || !m_item)
        return;
    const char* command[] = {"seek", "0", "absolute", nullptr};
    mpv_command_async(m_mpv, 0, command);
}

void MpvPlayer::setMuted(bool muted) {
    m_muted = muted;
    setFlag("mute", muted);
}

void MpvPlayer::setVolume(float volume) {
    m_volume = volume;
    if (!m_mpv)
        return;
    double scaled = mpvVolumeForGain(volume);
    mpv_set_property_async(m_mpv, 0, "volume", MPV_FORMAT_DOUBLE, &scaled);
}

void MpvPlayer::setViewSize(const void* view, QSize pixels) {
    m_viewSizes.insert(view, pixels);
}

void MpvPlayer::removeView(const void* view) {
    m_viewSizes.remove(view);
}

void MpvPlayer::drainEvents() {
    m_eventsQueued = false;
    while (m_mpv) {
        mpv_event* event = mpv_wait_event(m_mpv, 0);
        if (event->event_id == MPV_EVENT_NONE)
            break;
        switch (event->event_id) {
        case MPV_EVENT_COMMAND_REPLY:
            if (event->reply_userdata != 0 && event->reply_userdata == m_loadRequest)
                loadAccepted(event);
            break;
        case MPV_EVENT_START_FILE:
            m_currentEntry = static_cast<mpv_event_start_file*>(event->data)->playlist_entry_id;
            if (m_awaitingStart) {
                m_expectedEntry = m_currentEntry;
                m_awaitingStart = false;
            }
            break;
        case MPV_EVENT_FILE_LOADED:
            if (m_expectedEntry >= 0 && m_currentEntry == m_expectedEntry && m_item) {
                m_started = true;
                m_decoderReported = false;
                emit itemDidStart();
            }
            break;
        case MPV_EVENT_PLAYBACK_RESTART:
            // The first frame is decoded: which decoder took the video is settled now.
            if (m_started && !m_decoderReported) {
                m_decoderReported = true;
                reportDecoder();
            }
            break;
        case MPV_EVENT_LOG_MESSAGE:
            logMessage(static_cast<mpv_event_log_message*>(event->data));
            break;
        case MPV_EVENT_END_FILE: {
            auto* end = static_cast<mpv_event_end_file*>(event->data);
            if (m_expectedEntry < 0 || end->playlist_entry_id != m_expectedEntry || !m_item)
                break;
            if (end->reason == MPV_END_FILE_REASON_ERROR) {
                failCurrentItem(QString::fromUtf8(mpv_error_string(end->error)));
            } else if (end->reason == MPV_END_FILE_REASON_REDIRECT) {
                // The file named other entries instead of being a video: nothing of it is played.
                const char* command[] = {"stop", nullptr};
                mpv_command_async(m_mpv, 0, command);
                failCurrentItem(QStringLiteral("a list of other files, not a video"));
            }
            break;
        }
        case MPV_EVENT_PROPERTY_CHANGE: {
            auto* property = static_cast<mpv_event_property*>(event->data);
            const QByteArray name(property->name);
            if (name == "eof-reached" && property->format == MPV_FORMAT_FLAG) {
                if (*static_cast<int*>(property->data) && m_started && m_currentEntry == m_expectedEntry &&
                    m_item)
                    emit itemDidReachEnd();
            } else if (name == "dwidth" || name == "dheight") {
                const qint64 value =
                    property->format == MPV_FORMAT_INT64 ? *static_cast<qint64*>(property->data) : 0;
                if (name == "dwidth")
                    m_videoSize.setWidth(int(value));
                else
                    m_videoSize.setHeight(int(value));
            }
            break;
        }
        default:
            break;
        }
    }
}

void MpvPlayer::reportDecoder() {
    char* format = mpv_get_property_string(m_mpv, "video-format");
    char* decoder = mpv_get_property_string(m_mpv, "hwdec-current");
    // Without a video track, or without a video decoder (no picture output), the load tells
    // nothing about hardware decoding.
    if (format && decoder)
        HardwareDecoding::shared().report(QString::fromUtf8(format), QString::fromUtf8(decoder));
    mpv_free(format);
    mpv_free(decoder);
}

void MpvPlayer::followHardwareDecoding() {
    const QByteArray wanted = HardwareDecoding::shared().hwdecOption();
    if (wanted == m_hwdec)
        return;
    // Set just before the next load: the video it replaces was decoded in software already, so
    // the decoder restart this causes searches for nothing.
    if (mpv_set_property_string(m_mpv, "hwdec", wanted.constData()) >= 0)
        m_hwdec = wanted;
}

void MpvPlayer::logMessage(const mpv_event_log_message* message) {
    const QByteArray level(message->level);
    QByteArray text = QByteArray(message->prefix) + ": " + message->text;
    while (text.endsWith('\n'))
        text.chop(1);
    if (level == "fatal")
        qCWarning(lcMpv).noquote() << text;
    else if (level == "error" || level == "warn")
        qCInfo(lcMpv).noquote() << text;
    else
        qCDebug(lcMpv).noquote() << text;
}

void MpvPlayer::loadAccepted(const mpv_event* reply) {
    if (reply->error < 0) {
        // The load itself was refused: the item fails like one that cannot be opened.
        if (m_item)
            failCurrentItem(QString::fromUtf8(mpv_error_string(reply->error)));
        return;
    }
    // The reply names the new entry; without that, the entry that starts next is the new one.
    const mpv_node& result = static_cast<const mpv_event_command*>(reply->data)->result;
    if (result.format == MPV_FORMAT_NODE_MAP) {
        for (int i = 0; i < result.u.list->num; ++i) {
            if (qstrcmp(result.u.list->keys[i], "playlist_entry_id") == 0 &&
                result.u.list->values[i].format == MPV_FORMAT_INT64) {
                m_expectedEntry = result.u.list->values[i].u.int64;
                return;
            }
        }
    }
    m_awaitingStart = true;
}

void MpvPlayer::failCurrentItem(const QString& reason) {
    // Nothing more is expected of this load: a late event of it must not report it again.
    m_expectedEntry = -1;
    m_awaitingStart = false;
    m_started = false;
    qCWarning(lcPlayer).noquote() << "video failed to load:" << *m_item << "(" + reason + ")";
    emit itemDidFail();
}

QSize MpvPlayer::renderSize() const {
    // The picture is rendered once, as small as the largest view allows when it fills that view
    // (cropped, never letter-boxed), and never above the video's own size.
    double scale = 0.0;
    for (auto it = m_viewSizes.cbegin(); it != m_viewSizes.cend(); ++it) {
        if (it.value().isEmpty())
            continue;
        scale = std::max({scale, double(it.value().width()) / m_videoSize.width(),
                          double(it.value().height()) / m_videoSize.height()});
    }
    if (scale <= 0.0 || scale > 1.0)
        scale = 1.0;
    return QSize(std::max(1, int(std::lround(m_videoSize.width() * scale))),
                 std::max(1, int(std::lround(m_videoSize.height() * scale))));
}

void MpvPlayer::renderFrame() {
    m_renderQueued = false;
    if (!m_render || !m_context->makeCurrent(m_surface.get()))
        return;
    const uint64_t flags = mpv_render_context_update(m_render);
    if ((flags & MPV_RENDER_UPDATE_FRAME) && !m_videoSize.isEmpty()) {
        const QSize size = renderSize();
        if (!m_fbo || m_fbo->size() != size)
            m_fbo = std::make_unique<QOpenGLFramebufferObject>(size);
        mpv_opengl_fbo fbo{int(m_fbo->handle()), size.width(), size.height(), 0};
        int flip = 0;
        mpv_render_param params[] = {{MPV_RENDER_PARAM_OPENGL_FBO, &fbo},
                                     {MPV_RENDER_PARAM_FLIP_Y, &flip},
                                     {MPV_RENDER_PARAM_INVALID, nullptr}};
        mpv_render_context_render(m_render, params);
        // The views read the texture from their own contexts: hand the commands over first.
        m_context->functions()->glFlush();
        m_frame = Frame{m_fbo->texture(), size, m_videoSize};
        m_context->doneCurrent();
        emit frameReady();
        return;
    }
    m_context->doneCurrent();
}
