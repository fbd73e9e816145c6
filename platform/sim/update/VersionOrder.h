#pragma once

#include <QString>

namespace orvane::sim {

// Orders version strings the way Sparkle does on the Mac, so that the feed check offers the
// release Sparkle would. Numbers compare numerically part by part ("2.10" is newer than "2.9"),
// however many digits they have; missing trailing numbers count as 0 ("2.3" equals "2.3.0"); a
// trailing word marks an earlier release ("1.0b1" is older than "1.0"); everything from a dash on
// is ignored. A strict order over every pair of strings, in time linear in their length.
// Negative, 0 or positive.
int compareVersions(const QString& left, const QString& right);

// Longer than this, a version in a feed is malformed.
inline constexpr qsizetype longestVersion = 256;

} // namespace orvane::sim
