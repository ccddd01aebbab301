#pragma once
// The reports and questions that a full start-up of the generic platform sends, as two
// family tables: first what the card can do, then the reports that depend on it.

#include "nodekin/Nodekin.h"
#include "quelder/platforms/FamilyRow.h"

#include <span>

namespace GSM {

class Device;
class Modem;

// What the start-up learnt about the card; read and written under the library lock.
struct CardFeatures {
    bool ucs2 = false;
    bool smsConcatenation = false;
    bool technologySelection = false;
    bool voice = false;
    bool cellEvent3g = false;
    bool dynamicTcpWindow = false;
};

// The card as a start-up row asks about it.
struct StartUpCard {
    const NkCardInfo& card;
    const CardFeatures& features;
};

// Reads a row's answer (its information line is next) into the device or the features.
using StartUpReader = void (*)(Modem& modem, Device& device, CardFeatures& features);
using StartUpRow = FamilyRow<StartUpCard, StartUpReader>;

// What the card can do: technology selection, signal and cell reports, voice.
std::span<const StartUpRow> CapabilityQueries();
// The reports sent once the card has said what it can do.
std::span<const StartUpRow> StartUpReports();
// The registration and cell-type reports, and the queries that have the card report
// where it stands.
std::span<const StartUpRow> RegistrationReports();
// Whether the card can select its technology.
std::span<const StartUpRow> TechnologySelectionQuery();
// The antenna, radio switch and temperature reports.
std::span<const StartUpRow> IndicatorReports();

} // namespace GSM
