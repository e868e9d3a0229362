// One line of the fleet record (history.csv): what one pass did to a panel,
// as comma-separated UTF-8 fields under the header kHistoryHeader.
//
// Pure functions; any thread may call them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/device_worker.h"

inline constexpr std::string_view kHistoryHeader =
    "time,address,mac,project,from_version,to_version,outcome,state";

// The outcome's name in the record ("unreachable", "upgraded", ...); empty for
// kNone and kStopped, which are never recorded.
std::string_view HistoryOutcomeName(PassOutcome outcome);

// The field as written: in double quotes, inner quotes doubled, when it holds
// a comma, a quote or a line break; unchanged otherwise.
std::string CsvField(std::string_view text);

// Local time "YYYY-MM-DD HH:MM:SS" of a moment in seconds since 1970.
std::string LocalDateTimeText(std::int64_t seconds_since_epoch);

// The record line of a pass, with its line feed: the time the pass ended,
// what the panel reported, `to_version` (the target of the settings), the
// outcome and the state text the row shows.
std::string HistoryLine(const PassReport& report, const std::wstring& to_version);
