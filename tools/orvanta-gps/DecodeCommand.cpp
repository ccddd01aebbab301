#include "DecodeCommand.h"

#include "DecodeSummary.h"
#include "JsonSignalPrinter.h"
#include "LineReader.h"

#include "corvane/nmea/NmeaParser.h"

namespace Orvanta::gps {

int decode(std::FILE* input, std::FILE* output, std::FILE* messages)
{
    JsonSignalPrinter printer(output);
    Corvane::NmeaParser parser(printer, messages);
    DecodeSummary summary;
    LineReader lines(input);
    while (const auto line = lines.next())
        summary.count(parser.parse(*line));
    std::fflush(output);
    std::fprintf(messages, "%s\n", summary.line().c_str());
    if (lines.failed()) {
        std::fprintf(messages, "orvanta-gps: error reading the input\n");
        return 1;
    }
    return 0;
}

} // namespace Orvanta::gps
