#include "core/download/xmodem_sender.h"

#include "core/app/app_state.h"
#include "core/app/messages.h"
#include "core/link/serial_channel.h"
#include "core/platform/clock.h"

namespace omniset {

namespace {

constexpr std::uint16_t kCrcPolynomial = 0x1021;
constexpr std::uint8_t kLastSeq = 255; // block numbers run 1..255, then 0, 1, ...

void showFileReadError() { appBox("读取下载文件错误!", "Reading download file error!"); }
void showSendError() { appBox("发送错误!", "Sending error!"); }
void showTransferFailed() { appBox("发送文件失败，请重试！", "Transfer file fail, please retry!"); }

} // namespace

std::uint16_t xmodemCrc(const unsigned char* data, std::size_t count) {
    std::uint16_t crc = 0;
    for (std::size_t i = 0; i < count; ++i) {
        crc = static_cast<std::uint16_t>(crc ^ (data[i] << 8));
        for (int bit = 0; bit < 8; ++bit)
            crc = static_cast<std::uint16_t>(crc & 0x8000 ? (crc << 1) ^ kCrcPolynomial : crc << 1);
    }
    return crc;
}

CXModemSender::CXModemSender(platform::BoxOwner owner) : m_pOwner(owner) { m_frame.fill(kInitialFill); }

CXModemSender::~CXModemSender() {
    closeFile();
    if (m_release) m_release();
}

bool CXModemSender::openFile(const QString& path) {
    closeFile();
    m_file.setFileName(path);
    // QFile refuses folders and files the process may not read.
    return m_file.open(QIODevice::ReadOnly);
}

void CXModemSender::closeFile() {
    if (m_file.isOpen()) m_file.close();
}

qint64 CXModemSender::fileSize() const { return m_file.isOpen() ? m_file.size() : 0; }

void CXModemSender::SendBlock() {
    if (!m_bResend) {
        // The data area is not cleared: a short read leaves the previous block's bytes
        // (or the initial fill) behind the new ones.
        qint64 got = m_file.isOpen() ? m_file.read(reinterpret_cast<char*>(&m_frame[kDataOffset]),
                                                   m_nBlockSize)
                                     : -1;
        if (got < 0) showFileReadError();
        if (got <= 0) m_bLastBlock = true; // sent all the same, under the next number
        m_lastRead = got > 0 ? got : 0;
        const auto number = static_cast<std::uint8_t>(m_nSeq & 0xFF);
        m_frame[0] = kx220::kSTX;
        m_frame[kNumberOffset] = number;
        m_frame[kComplementOffset] = static_cast<unsigned char>(0xFF - number);
        const std::uint16_t crc = xmodemCrc(&m_frame[kDataOffset], static_cast<std::size_t>(m_nBlockSize));
        m_frame[kCrcOffset] = static_cast<unsigned char>(crc >> 8);
        m_frame[kCrcOffset + 1] = static_cast<unsigned char>(crc & 0xFF);
    }
    // What waits in the queue answers an earlier frame; the answer to this one follows.
    SerialPurge();
    // A port that went away has said so already: that is the one message.
    if (!SerialWrite(reinterpret_cast<const char*>(m_frame.data()), m_nFrameLength) && !SerialLost())
        showSendError();
}

void CXModemSender::sendEot() {
    static constexpr char kEot = static_cast<char>(kx220::kEOT);
    SerialPurge();
    SerialWrite(&kEot, 1);
}

bool CXModemSender::Run() {
    for (;;) {
        if (!DownloadActive) return false;
        if (m_pView) m_pView->showCounts(m_nPacket, m_nResendCount);
        platform::dispatchPendingEvents(); // the progress window's Cancel
        if (!DownloadActive) return false;
        m_reply = kInitialFill;
        char byte = 0;
        if (SerialRead(&byte, 1) == 1) m_reply = static_cast<unsigned char>(byte);
        if (SerialLost()) return false; // the port went away (told by the channel)
        switch (onReply()) {
        case Step::Next: break;
        case Step::Stop: return false;
        case Step::Done:
            if (m_completion) m_completion();
            return true;
        }
    }
}

CXModemSender::Step CXModemSender::onReply() {
    switch (m_nState) {
    case IDLE_STATE:
        if (m_reply == kx220::kCAN) return refused();
        if (m_reply == kx220::kNAK || m_reply == kx220::kCRCStart) {
            m_nSeq = 1;
            SendBlock();
            m_nState = SENDING_STATE;
        }
        return Step::Next;
    case SENDING_STATE: return whileSending();
    case SEND_LASTPACK_STATE:
        // The byte read in this cycle answers the EOT of the previous one.
        sendEot();
        return m_reply == kx220::kACK ? Step::Done : Step::Next;
    }
    return Step::Next;
}

CXModemSender::Step CXModemSender::whileSending() {
    if (m_reply == kx220::kACK) {
        m_bResend = false;
        if (m_bLastBlock) {
            m_reply = kInitialFill;
            m_nState = SEND_LASTPACK_STATE;
            return Step::Next;
        }
        ++m_nPacket;
        m_bytesAcked += m_lastRead;
        if (m_pView) {
            m_pView->acknowledged(m_bytesAcked);
            m_pView->step();
        }
        m_nSeq = m_nSeq < kLastSeq ? m_nSeq + 1 : 0;
        SendBlock();
        return Step::Next;
    }
    // After a first NAK every reply but ACK, silence and CAN included, asks again.
    if (m_reply == kx220::kNAK || m_reply == kx220::kCRCStart || m_bResend) {
        m_bResend = true;
        if (++m_nResendCount > kMaxResends) {
            showTransferFailed();
            DownloadActive = 0; // the next cycle ends the transfer
        }
        SendBlock();
        return Step::Next;
    }
    if (m_reply == kx220::kCAN) return refused();
    return Step::Next;
}

// The receiver cancelled: the transfer ends, and the user is told so.
CXModemSender::Step CXModemSender::refused() {
    showTransferFailed();
    return Step::Stop;
}

} // namespace omniset
