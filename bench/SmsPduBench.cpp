// Costs of the SMS codec: received PDUs decoded per second (a mix of GSM 7-bit, UCS2 and
// concatenated deliveries, and a status report), PDUs checked per second, and outgoing
// messages encoded per second.
// Target: over 500,000 PDUs decoded a second on one core.

#include "nodekin/XLog.h"
#include "quelder/sms/Tpdu.h"

#include <benchmark/benchmark.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

struct Received {
    std::string hex;
    int tpduLength;
};

int tpduLengthOf(const std::string& hex) { return static_cast<int>(hex.size() / 2) - std::stoi(hex.substr(0, 2), nullptr, 16) - 1; }

const std::vector<Received>& received()
{
    static const std::vector<Received> pdus = [] {
        const char* const hex[] = {
            "07912143658709F1040B918100551512F20000111010214365000AE8329BFD4697D9EC37",
            "07919730071111F10414D04937BD2C7797E9D3E614000811309291024061080442043504410442",
            "07912160130320F6440B916171056429F5000021405291651569320500034C0202E9E8301D44479741F0B09C3E0785E56590BCCC"
            "0ED3CB6410FD0D7ABBCBA0B0FB4D4797E52E10",
            "07914356060013F1065A098136397339F7219011700463802190117004638030",
            "07916163838428F9040B916121021021F700005190514164220A23C4B0BCFD5E8740C4B0BCFD5E83C26E3248196687C9A0301D"
            "440DBBC3677918",
        };
        std::vector<Received> out;
        for (const char* h : hex)
            out.push_back({h, tpduLengthOf(h)});
        return out;
    }();
    return pdus;
}

void quiet() { Nodekin::setLogLevel(Nodekin::logError); }

void BM_Decode(benchmark::State& state)
{
    quiet();
    const auto& pdus = received();
    SMS::Tpdu message;
    std::size_t i = 0;
    for (auto _ : state) {
        const Received& pdu = pdus[i++ % pdus.size()];
        if (SMS::Decode(pdu.hex, pdu.tpduLength, message) != kQdSuccess)
            throw std::runtime_error("a bench PDU did not decode");
        benchmark::DoNotOptimize(message.text[0]);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Decode);

void BM_Validate(benchmark::State& state)
{
    quiet();
    const auto& pdus = received();
    std::size_t i = 0;
    for (auto _ : state) {
        const Received& pdu = pdus[i++ % pdus.size()];
        benchmark::DoNotOptimize(SMS::Validate(pdu.hex, pdu.tpduLength));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Validate);

void BM_EncodeConcatenated(benchmark::State& state)
{
    quiet();
    SMS::Tpdu message;
    const std::string text(static_cast<std::size_t>(state.range(0)), 'x');
    if (SMS::CreateOutgoing("+4917012345678", text.c_str(), "+4917", 0, SMS::kCodingGsm7, 0xAF, 0, 0, message) !=
        kQdSuccess)
        throw std::runtime_error("the bench message was refused");
    std::vector<SMS::SubmitPdu> pdus;
    for (auto _ : state) {
        if (SMS::EncodeSubmit(message, pdus) != kQdSuccess)
            throw std::runtime_error("the bench message did not encode");
        benchmark::DoNotOptimize(pdus.data());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EncodeConcatenated)->Arg(100)->Arg(600);

} // namespace

BENCHMARK_MAIN();
