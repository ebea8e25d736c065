#pragma once

#include <QByteArray>
#include <QString>
#include <atomic>

// What this process has learnt about hardware video decoding, shared by all its players.
//
// Looking for a hardware decoder loads every decoder library of the system (VA-API, VDPAU, CUDA),
// and those that find no device print their complaints straight to the terminal, on every load.
// So the search is made once: when the first video of a format that every hardware decoder handles
// ends up decoded in software, there is no usable hardware decoder, and every later load in the
// process decodes in software from the start. Once a video did decode in hardware, hardware
// decoding stays allowed for the life of the process.
class HardwareDecoding {
public:
    enum class State { unknown, available, unavailable };

    // The process's one record.
    static HardwareDecoding& shared();

    State state() const { return m_state.load(); }
    // The value of mpv's "hwdec" option for the next load.
    QByteArray hwdecOption() const;
    // What decoded a video once its first frame was shown: `format` the video's codec ("h264"),
    // `decoder` the hardware decoding in use ("vaapi", "nvdec-copy", ...; "no" or empty: software).
    // True when this report is the one that turned hardware decoding off.
    bool report(const QString& format, const QString& decoder);

private:
    std::atomic<State> m_state{State::unknown};
};
