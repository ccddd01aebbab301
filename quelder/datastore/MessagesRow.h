#pragma once
// One row of Messages. Setters mark their column dirty; Update writes only the dirty
// columns and clears the bits. Every query is restricted to the current IMSI.

#include "quelder/datastore/UlmDatabase.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace UlmDataStore {

class CMessagesRow : public CUlmDatabase {
public:
    enum Column : unsigned {
        kLocalPhoneNo = 0x1,
        kRemotePhoneNo = 0x2,
        kTimeSent = 0x4,
        kTimeReceived = 0x8,
        kStatus = 0x10,
        kSimId = 0x20,
        kImsi = 0x40,
        kContent = 0x80,
    };

    struct Filter {
        std::optional<int> status;
        std::optional<DbTime> sentFrom, sentTo;         // either bound may be left open
        std::optional<DbTime> receivedFrom, receivedTo;
        bool newestFirst = false;                        // ORDER BY TimeSent DESC
    };

    std::int64_t RowId() const { return rowId_; }
    const std::string& LocalPhoneNo() const { return localPhoneNo_; }
    const std::string& RemotePhoneNo() const { return remotePhoneNo_; }
    const DbTime& TimeSent() const { return timeSent_; }
    const DbTime& TimeReceived() const { return timeReceived_; }
    int Status() const { return status_; }
    int SimId() const { return simId_; }
    const std::string& Imsi() const { return imsi_; }
    const std::string& Content() const { return content_; } // bytes, stored as a BLOB
    unsigned Dirty() const { return dirty_; }

    void SetLocalPhoneNo(std::string value);
    void SetRemotePhoneNo(std::string value);
    void SetTimeSent(const DbTime& value);
    void SetTimeReceived(const DbTime& value);
    void SetStatus(int value);
    void SetSimId(int value);
    void SetContent(std::string bytes);

    // A new row of the current IMSI; afterwards RowId, SimId and Imsi tell where it went.
    int Insert();
    int Update();
    int Delete();
    static int DeleteAll();
    static int Select(const Filter& filter, std::vector<CMessagesRow>& rows);
    static int Count(std::int64_t& count);
    // How many rows of the current IMSI hold the same remote number, time sent and
    // content as `row`: a message read from the SIM again after a crash is known by it.
    static int CountLike(const CMessagesRow& row, std::int64_t& count);

private:
    std::int64_t rowId_ = 0;
    std::string localPhoneNo_, remotePhoneNo_;
    DbTime timeSent_, timeReceived_;
    int status_ = 0;
    int simId_ = 0;
    std::string imsi_;
    std::string content_;
    unsigned dirty_ = 0;
};

} // namespace UlmDataStore
