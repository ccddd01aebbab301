#pragma once
// One row of Sessions: a data connection's history entry.

#include "quelder/datastore/UlmDatabase.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace UlmDataStore {

class CStatisticsRow : public CUlmDatabase {
public:
    enum Column : unsigned {
        kConnectionType = 0x1,
        kImsi = 0x2,
        kStartTime = 0x4,
        kEndTime = 0x8,
        kSentVolume = 0x10,
        kReceivedVolume = 0x20,
        kRoaming = 0x40,
        kMccMnc = 0x80,
        kNetworkName = 0x100,
    };

    struct Filter {
        std::optional<DbTime> startFrom; // StartTime >= ...
        std::optional<DbTime> endTo;     // EndTime <= ...
    };

    std::int64_t RowId() const { return rowId_; }
    int ConnectionType() const { return connectionType_; }
    const std::string& Imsi() const { return imsi_; }
    const DbTime& StartTime() const { return startTime_; }
    const DbTime& EndTime() const { return endTime_; }
    std::int64_t SentVolume() const { return sentVolume_; }
    std::int64_t ReceivedVolume() const { return receivedVolume_; }
    std::uint8_t Roaming() const { return roaming_; }
    std::int64_t MccMnc() const { return mccMnc_; }
    const std::string& NetworkName() const { return networkName_; }
    unsigned Dirty() const { return dirty_; }

    void SetConnectionType(int value);
    void SetImsi(std::string value);
    void SetStartTime(const DbTime& value);
    void SetEndTime(const DbTime& value);
    void SetSentVolume(std::int64_t value);
    void SetReceivedVolume(std::int64_t value);
    void SetRoaming(std::uint8_t value);
    void SetMccMnc(std::int64_t value);
    void SetNetworkName(std::string value);

    int Insert();
    int Update();
    int Delete();
    static int DeleteAll();
    static int Select(const Filter& filter, std::vector<CStatisticsRow>& rows);
    static int SelectById(std::int64_t rowId, CStatisticsRow& row);

private:
    std::int64_t rowId_ = 0;
    int connectionType_ = 0;
    std::string imsi_;
    DbTime startTime_, endTime_;
    std::int64_t sentVolume_ = 0, receivedVolume_ = 0;
    std::uint8_t roaming_ = 0;
    std::int64_t mccMnc_ = 0;
    std::string networkName_;
    unsigned dirty_ = 0;
};

} // namespace UlmDataStore
