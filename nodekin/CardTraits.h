#pragma once
// What a card is, as card detection and the backend ask it: the ranges of type codes,
// the models and families that behave apart, and the questions on the card-information
// record. Each question is asked here and by name, so that the two libraries cannot come
// to disagree about a card.
//
// Type codes, from the bottom up:
//   0x0000          no card
//   0x0001-0x07FF   the maker's cards whose functions detection finds by their names alone
//   0x0800          the maker's first stick: its children must all be active
//   0x0801-0x5FFF   the maker's cards whose subdevices detection waits for and lists
//                   (but for the zero-footprint sticks, which show none)
//   0x6000-0x7FFF   other makers' modules in the maker's products ("SimCom210" 0x6000):
//                   the maker's cards to detection, but running their own makers' firmware
//   0x8000-         other vendors' cards
// Everything from 0x0001 to 0x5FFF speaks the maker's AT dialect.

#include "nodekin/Nodekin.h"

#include <concepts>
#include <cstdint>
#include <functional>
#include <utility>

namespace Nodekin {

// A closed range of type codes.
struct TypeCodeRange {
    std::uint32_t first;
    std::uint32_t last;
    constexpr bool contains(std::uint32_t code) const noexcept { return code >= first && code <= last; }
};

inline constexpr std::uint32_t firstOtherVendorTypeCode = 0x8000;

inline constexpr TypeCodeRange makersTypeCodes{0x0001, firstOtherVendorTypeCode - 1};
inline constexpr TypeCodeRange makersDialectTypeCodes{0x0001, 0x5FFF};
inline constexpr TypeCodeRange makersChildDeviceTypeCodes{0x0800, 0x7FFF};
inline constexpr TypeCodeRange listedSubdeviceTypeCodes{0x0801, 0x5FFF};

// --- questions on the type code --------------------------------------------------------

// One of the maker's cards, whoever built its modem: below the other vendors' codes.
constexpr bool isMakersCard(std::uint32_t typeCode) noexcept { return makersTypeCodes.contains(typeCode); }

// The card's firmware speaks the maker's AT dialect ("_T" commands and reports). The
// other makers' modules among the maker's codes do not.
constexpr bool speaksMakersDialect(std::uint32_t typeCode) noexcept
{
    return makersDialectTypeCodes.contains(typeCode);
}

constexpr bool isGobi(std::uint32_t typeCode) noexcept { return typeCode == 0x8400 || typeCode == 0x8401; }

// Served by the proxy program: the card shows no devices of its own.
constexpr bool isZeroFootprint(std::uint32_t typeCode) noexcept
{
    return typeCode == 0x2000 || typeCode == 0x2100 || typeCode == 0x2700;
}

// Another vendor's card that only the Mobile Broadband service drives.
constexpr bool isGenericMobileBroadband(std::uint32_t typeCode) noexcept { return typeCode == 0xFF00; }

constexpr bool isHuawei(std::uint32_t typeCode) noexcept { return typeCode == 0x8800; }
constexpr bool isZte(std::uint32_t typeCode) noexcept { return typeCode == 0x8900; }

// The NDIS sticks whose "MI_00" child's class says what the card has.
constexpr bool isEarlyNdisStick(std::uint32_t typeCode) noexcept { return typeCode == 0x900 || typeCode == 0xA00; }

// The first stick names its subdevices "RXNOZ_MODEM", "RXNOZ_NET" and "RXNOZ_FF".
constexpr bool isFirstStick(std::uint32_t typeCode) noexcept { return typeCode == 0x800; }

// The cards whose subdevices carry "_MDM\" and "_NET\".
constexpr bool isGx750Family(std::uint32_t typeCode) noexcept { return typeCode == 0x1800; }
constexpr bool isH800(std::uint32_t typeCode) noexcept { return typeCode == 0x2301; }

// A smart antenna that can be pulled out and pushed in.
constexpr bool hasSmartAntenna(std::uint32_t typeCode) noexcept { return typeCode == 0x1C01 || typeCode == 0x1C02; }

// Every child device of the card must be active before its functions are looked for.
constexpr bool needsAllChildrenActive(std::uint32_t typeCode) noexcept
{
    return makersChildDeviceTypeCodes.contains(typeCode) || isGobi(typeCode);
}

// Detection waits for the card's subdevices and lists them to learn its functions.
constexpr bool listsSubdevices(std::uint32_t typeCode) noexcept
{
    return listedSubdeviceTypeCodes.contains(typeCode) && !isZeroFootprint(typeCode);
}

// The card offers an application port by its type alone, not by a subdevice of its own.
constexpr bool offersApplicationPortByType(std::uint32_t typeCode) noexcept
{
    return (!listedSubdeviceTypeCodes.contains(typeCode) && !isGobi(typeCode)) || isEarlyNdisStick(typeCode);
}

// A subdevice "_APP\" tells whether the card offers its primary application port.
constexpr bool showsApplicationSubdevice(std::uint32_t typeCode) noexcept
{
    return typeCode == 0x901 || typeCode >= 0xB00;
}

// The maker's smart card reader shows as a subdevice that detection checks for.
constexpr bool showsSmartCardSubdevice(std::uint32_t typeCode) noexcept
{
    return makersChildDeviceTypeCodes.contains(typeCode) && !isEarlyNdisStick(typeCode);
}

// The card's network adapter has no NDIS control port, whatever its row says.
constexpr bool adapterLacksNdisPort(std::uint32_t typeCode) noexcept { return isGx750Family(typeCode); }

// The card reports its serving cell ("_TEANT"); the GX610 (0x0D00) does not.
constexpr bool reportsServingCell(std::uint32_t typeCode) noexcept
{
    return speaksMakersDialect(typeCode) && typeCode >= 0x0B00 && typeCode != 0x0D00;
}

// The card whose registration comes without signal and cell-type reports: while it is
// registered, the backend asks for both.
constexpr bool pollsSignalWhileRegistered(std::uint32_t typeCode) noexcept { return isZte(typeCode); }

// From the maker's first stick on, cards tell EDGE and HSDPA cells apart.
constexpr bool tellsHighSpeedRegistration(std::uint32_t typeCode) noexcept { return typeCode >= 0x0800; }

// --- questions on the card-information record ------------------------------------------

// Data-interface kinds the record distinguishes.
inline constexpr std::uint32_t ndisAdapterKind = 3;

constexpr bool hasCapability(const NkCardInfo& card, NkCapability bit) noexcept
{
    return (card.capabilities & bit) != 0;
}

constexpr bool isMakersCard(const NkCardInfo& card) noexcept { return isMakersCard(card.typeCode); }
constexpr bool speaksMakersDialect(const NkCardInfo& card) noexcept { return speaksMakersDialect(card.typeCode); }
constexpr bool isGobi(const NkCardInfo& card) noexcept { return isGobi(card.typeCode); }
constexpr bool isZeroFootprint(const NkCardInfo& card) noexcept { return isZeroFootprint(card.typeCode); }
constexpr bool isGenericMobileBroadband(const NkCardInfo& card) noexcept
{
    return isGenericMobileBroadband(card.typeCode);
}
constexpr bool isHuawei(const NkCardInfo& card) noexcept { return isHuawei(card.typeCode); }
constexpr bool isZte(const NkCardInfo& card) noexcept { return isZte(card.typeCode); }
constexpr bool hasSmartAntenna(const NkCardInfo& card) noexcept { return hasSmartAntenna(card.typeCode); }
constexpr bool reportsServingCell(const NkCardInfo& card) noexcept { return reportsServingCell(card.typeCode); }

// The card's data goes through an NDIS network adapter.
constexpr bool isNdisKind(const NkCardInfo& card) noexcept { return card.dataInterfaceKind == ndisAdapterKind; }
// The modules of kinds 4 and 5 tell whether they carry voice by "_TDO".
constexpr bool tellsVoiceByTdo(const NkCardInfo& card) noexcept
{
    return card.dataInterfaceKind == 4 || card.dataInterfaceKind == 5;
}
// The modules of kind 5 take network selection mode 5 and have a temperature sensor.
constexpr bool isKindFiveModule(const NkCardInfo& card) noexcept { return card.dataInterfaceKind == 5; }

constexpr bool isMobileBroadband(const NkCardInfo& card) noexcept
{
    return hasCapability(card, NkCapMobileBroadband);
}
// A card of platform 7 is replugged by its own firmware after standby: detection ignores
// it until the replug has happened, or the replug time-out runs out.
constexpr bool reenumeratesAfterStandby(const NkCardInfo& card) noexcept { return card.platform == 7; }
constexpr bool pollsDataCall(const NkCardInfo& card) noexcept { return hasCapability(card, NkCapDataCallPolling); }
constexpr bool offersApplicationPort(const NkCardInfo& card) noexcept
{
    return hasCapability(card, NkCapApplicationPort);
}
// The application port is a port of its own, not the modem's: it stays free while a
// data connection holds the modem.
constexpr bool hasOwnApplicationPort(const NkCardInfo& card) noexcept
{
    return hasCapability(card, NkCapOwnApplicationPort);
}
constexpr bool hasWwanNdisPort(const NkCardInfo& card) noexcept { return hasCapability(card, NkCapWwanNdisPort); }
constexpr bool hasGps(const NkCardInfo& card) noexcept { return hasCapability(card, NkCapGps); }

// The maker's cards of data-interface kinds 2 and 5 do not report their 3G cell type: it
// is asked for ("_TWCTI") while they are registered on a 3G cell. Not so in Mobile
// Broadband mode, where the service reports it.
constexpr bool pollsWcdmaCellType(const NkCardInfo& card) noexcept
{
    return speaksMakersDialect(card) && (card.dataInterfaceKind == 2 || card.dataInterfaceKind == 5) &&
           !isMobileBroadband(card);
}

// The card's subdevices name modem and adapter "_MDM\" and "_NET\".
constexpr bool listsMdmAndNetSubdevices(const NkCardInfo& card) noexcept
{
    return pollsDataCall(card) && isGx750Family(card.typeCode);
}
// The same naming, but the card never shows an adapter.
constexpr bool listsMdmSubdeviceOnly(const NkCardInfo& card) noexcept
{
    return pollsDataCall(card) && isH800(card.typeCode);
}
// A card whose adapter carries its data through the NDIS data interface of the driver.
constexpr bool adapterIsNdisDataInterface(const NkCardInfo& card) noexcept
{
    return card.typeCode >= 0x900 && !pollsDataCall(card) && card.dataInterfaceKind == 2;
}

// --- conditions ------------------------------------------------------------------------

// The applies-to column of a family table: a question about a subject (a card, or a
// card with what its start-up learnt), built from named predicates with &&, || and !.
template <class Subject>
class Condition {
public:
    using Test = bool (*)(const Subject&);

    // A named predicate is a condition.
    Condition(Test test) : test_(test) {} // NOLINT(google-explicit-constructor)

    // A condition on the card alone, asked of a subject that carries the card.
    template <class Card>
        requires(!std::same_as<Card, Subject>) && requires(const Subject& subject) {
            { subject.card } -> std::convertible_to<const Card&>;
        }
    Condition(const Condition<Card>& onCard) // NOLINT(google-explicit-constructor)
        : Condition(Joined{}, [onCard](const Subject& subject) { return onCard(subject.card); })
    {
    }

    static Condition always()
    {
        return Condition(Joined{}, [](const Subject&) { return true; });
    }

    bool operator()(const Subject& subject) const { return test_(subject); }

    friend Condition operator&&(Condition a, Condition b)
    {
        return Condition(Joined{}, [a = std::move(a), b = std::move(b)](const Subject& s) { return a(s) && b(s); });
    }
    friend Condition operator||(Condition a, Condition b)
    {
        return Condition(Joined{}, [a = std::move(a), b = std::move(b)](const Subject& s) { return a(s) || b(s); });
    }
    friend Condition operator!(Condition a)
    {
        return Condition(Joined{}, [a = std::move(a)](const Subject& s) { return !a(s); });
    }

private:
    template <class Other>
    friend class Condition;
    struct Joined {};
    Condition(Joined, std::function<bool(const Subject&)> test) : test_(std::move(test)) {}

    std::function<bool(const Subject&)> test_;
};

using CardCondition = Condition<NkCardInfo>;

} // namespace Nodekin
