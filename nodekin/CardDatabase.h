#pragma once
// The supported cards. The library works on its own copy of the built-in rows, because
// the consistency check at start-up adjusts their capability bits.

#include "nodekin/CardRow.h"
#include "nodekin/Nodekin.h"

#include <cstdint>
#include <span>
#include <vector>

namespace Nodekin {

std::span<const CardRow> builtInCardRows() noexcept;

class CardDatabase {
public:
    CardDatabase(); // the built-in rows
    explicit CardDatabase(std::vector<CardRow> rows);

    // Run once before any detection: sets the insertion-events bit where a row's mask
    // announces arrivals, and removes capabilities whose names the row lacks.
    void checkConsistency();

    // The first row that recognises the card, or -1.
    int find(std::int32_t bus, std::int32_t vendor, std::int32_t product) const noexcept;

    const std::vector<CardRow>& rows() const noexcept { return rows_; }
    const CardRow& row(std::size_t index) const { return rows_.at(index); }

private:
    std::vector<CardRow> rows_;
};

} // namespace Nodekin
