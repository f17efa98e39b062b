// session.h - one conversation with the adapter: find it, identify it, read and write.
//
//   Session::connect(choice)   the search (or --port / --device), then the identification
//                              ("ati3", "ati4", "ati6"), which fixes the record length;
//                              kExitOk, or kExitNoAdapter with the reason said: the
//                              window program's text, why each port failed (even with -q)
//                              and what to try
//   Session::unlock()          profile access, once
//   Session::read(n)           record n (0..4, kCurrentProfile) read; nothing on failure
//   Session::write(n, record)  record n written with the window program's exchange; true
//                              when the adapter acknowledged it (the transaction reads it
//                              back and, before writing, asks about synchronous mode)
//   Session::readQuickDial() / storeQuickDial(numbers, which)
//                              the four numbers; the store commands of the marked slots
//   Session::where()           "COM1 (/dev/pts/3) 115200,8,N,1"
//   Session::failure()         one line: why the last connect() or read() failed (the
//                              --json error message; "Reading Profile 2 failed: bad
//                              checksum"); empty after a success
//   Session::readFailureCause()   the last failed read's cause alone ("bad checksum")
//   ~Session()                 the port is closed
#pragma once

#include "cli/options.h"
#include "cli/transaction.h"
#include "core/link/detection.h"
#include "core/link/identification.h"
#include "core/link/quick_dial.h"
#include "core/record/profile_layout.h"

#include <optional>

namespace omniset::cli {

class Session : public RecordAccess {
  public:
    Session() = default;
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    int connect(const AdapterChoice& choice);
    void unlock();
    std::optional<ProfileRecord> read(int profile) override;
    bool write(int profile, const ProfileRecord& record) override;
    QuickDialNumbers readQuickDial() override;
    void storeQuickDial(const QuickDialNumbers& numbers, const std::array<bool, 4>& which) override;

    const AdapterIdentity& identity() const { return identity_; }
    int recordLength() const { return recordLength_; }
    QString firmware() const; // "V2.0"
    QString where() const;
    QString port() const { return port_; }
    QString device() const { return device_; }
    QString lineText() const;
    QString failure() const { return failure_; }
    QString readFailureCause() const override { return readCause_; }

  private:
    bool searchOne(const std::vector<platform::LineSettings>& table, PortOutcome* outcome);
    QString portLabel() const; // "COM1 (/dev/pts/3)"
    int notFound(const QString& reasonLine);

    AdapterIdentity identity_;
    int recordLength_ = kShortProfileLength;
    QString port_;
    QString device_;
    QString failure_;
    QString readCause_;
    bool unlocked_ = false;
};

// "current" or "0".."4" as a profile number (kCurrentProfile for current); -1 otherwise.
int profileOfName(const QString& name);
QString nameOfProfile(int profile);

} // namespace omniset::cli
