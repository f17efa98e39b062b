// xmodem_sender.h - the 1K-XModem sender of one firmware download attempt.
//
//   xmodemCrc(data, n)            CRC-16/XMODEM, bit by bit (poly 0x1021, start 0)
//   CXModemSender(owner)          fields at their start values, frame buffer filled with '0'
//   ~CXModemSender()              closes the firmware file, then runs the release hook
//   openFile(path) / closeFile()  the firmware file, read-only; false when it cannot be read
//   fileSize()                    its size in bytes (0 when none is open)
//   setView(view)                 the progress the loop reports to (the progress window,
//                                 the terminal's line; may be null)
//   setCompletion(fn)             what a transfer acknowledged to the end runs (nothing by
//                                 default; the window procedure installs its completion)
//   hasCompletion()               whether one is installed
//   setRelease(fn)                what the destructor runs last (the window procedure
//                                 closes its preparing status window there)
//   bytesAcknowledged()           file bytes in the data blocks acknowledged so far
//   Run()                         the transfer loop, over the serial channel, while
//                                 DownloadActive is set; true when the transfer was
//                                 acknowledged and the completion ran
//   SendBlock()                   build the next frame unless a resend is pending, then
//                                 purge and write it
//
// One cycle of Run: stop when DownloadActive is clear; show the counts; dispatch waiting
// events (Cancel); stop when DownloadActive is clear; read one reply byte (about 1 s at
// most); act on it by the state. The receive queue is purged just before each frame or
// EOT is written, so the answer to it is never thrown away. A transfer that ends without
// success is never silent: the resend limit and a CAN from the receiver show "Transfer
// file fail, please retry!", a port that went away the channel's own message; only
// Cancel ends it without a word.
#pragma once

#include "core/platform/message_box.h"
#include "core/record/adapter_commands.h"

#include <QFile>
#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>

namespace omniset {

std::uint16_t xmodemCrc(const unsigned char* data, std::size_t count);

// What the transfer loop reports: its two counts before every read; after every
// acknowledged data block the file bytes acknowledged so far, then one step. The sender
// runs in the core: the progress window and the terminal's progress line implement this.
class TransferView {
  public:
    virtual ~TransferView() = default;
    virtual void showCounts(int packet, int resends) = 0;
    virtual void acknowledged(qint64 bytes) { (void)bytes; }
    virtual void step() = 0;
};

class CXModemSender {
  public:
    enum State { IDLE_STATE, SENDING_STATE, SEND_LASTPACK_STATE };

    // Resends tolerated over a whole transfer; the next one ends it.
    static constexpr int kMaxResends = 10;
    // Every byte of the frame buffer before the first block is read.
    static constexpr unsigned char kInitialFill = '0';
    // Frame layout: start byte, block number, its complement, data, CRC high, CRC low.
    static constexpr int kNumberOffset = 1;
    static constexpr int kComplementOffset = 2;
    static constexpr int kDataOffset = 3;
    static constexpr int kCrcOffset = kDataOffset + kx220::kXModemBlockSize;

    explicit CXModemSender(platform::BoxOwner owner);
    ~CXModemSender();
    CXModemSender(const CXModemSender&) = delete;
    CXModemSender& operator=(const CXModemSender&) = delete;

    platform::BoxOwner owner() const { return m_pOwner; }
    bool openFile(const QString& path);
    void closeFile();
    qint64 fileSize() const;
    void setView(TransferView* view) { m_pView = view; }
    void setCompletion(std::function<void()> completion) { m_completion = std::move(completion); }
    bool hasCompletion() const { return static_cast<bool>(m_completion); }
    void setRelease(std::function<void()> release) { m_release = std::move(release); }
    qint64 bytesAcknowledged() const { return m_bytesAcked; }

    bool Run();
    void SendBlock();

    // For the progress window and for tests.
    State state() const { return m_nState; }
    int seq() const { return m_nSeq; }
    int packet() const { return m_nPacket; }
    int resendCount() const { return m_nResendCount; }
    const unsigned char* frame() const { return m_frame.data(); }

  private:
    enum class Step { Next, Stop, Done };
    Step onReply();
    Step whileSending();
    Step refused();
    void sendEot();

    State m_nState = IDLE_STATE;
    std::int32_t m_nBlockSize = kx220::kXModemBlockSize;
    std::int32_t m_nFrameLength = kx220::kXModemFrameLength;
    std::int32_t m_nSeq = 1;
    std::int32_t m_nPacket = 1;
    QFile m_file;
    unsigned char m_reply = kInitialFill;
    std::array<unsigned char, kx220::kXModemFrameLength> m_frame{};
    bool m_bResend = false;
    std::int32_t m_nResendCount = 0;
    bool m_bLastBlock = false;
    platform::BoxOwner m_pOwner;

    qint64 m_lastRead = 0;   // file bytes in the frame being sent
    qint64 m_bytesAcked = 0; // file bytes in the data blocks acknowledged

    TransferView* m_pView = nullptr;
    std::function<void()> m_completion;
    std::function<void()> m_release;
};

} // namespace omniset
