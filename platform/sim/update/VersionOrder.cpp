#include "platform/sim/update/VersionOrder.h"

#include <algorithm>
#include <climits>
#include <vector>

namespace orvane::sim {

namespace {

enum class Part { number, word, period, punctuation, space, dash };

Part kindOf(QChar c) {
    if (c == '.') {
        return Part::period;
    }
    if (c == '-') {
        return Part::dash;
    }
    if (c.isDigit()) {
        return Part::number;
    }
    if (c.isSpace()) {
        return Part::space;
    }
    return c.isPunct() ? Part::punctuation : Part::word;
}

bool isSeparator(Part kind) {
    return kind == Part::period || kind == Part::punctuation || kind == Part::space;
}

// Runs of digits, runs of other characters, and each separator on its own; a dash after the
// first character ends the version.
std::vector<QString> split(const QString& version) {
    std::vector<QString> parts;
    if (version.isEmpty()) {
        return parts;
    }
    QString part = version.front();
    Part previous = kindOf(version.front());
    for (qsizetype i = 1; i < version.size(); ++i) {
        const Part kind = kindOf(version[i]);
        if (kind == Part::dash) {
            break;
        }
        if (kind != previous || isSeparator(previous)) {
            parts.push_back(part);
            part.clear();
        }
        part += version[i];
        previous = kind;
    }
    parts.push_back(part);
    return parts;
}

// How many parts at the front are numbers and periods.
std::size_t numericPrefix(const std::vector<QString>& parts) {
    const auto end = std::find_if(parts.begin(), parts.end(), [](const QString& part) {
        const Part kind = kindOf(part.front());
        return kind != Part::number && kind != Part::period;
    });
    return static_cast<std::size_t>(end - parts.begin());
}

// "1.1" against "1.0.0" becomes "1.1.0", so that trailing zeros make no difference.
void balance(std::vector<QString>& a, std::vector<QString>& b) {
    const std::size_t aCount = numericPrefix(a);
    const std::size_t bCount = numericPrefix(b);
    auto pad = [](std::vector<QString>& shorter, std::size_t from,
                  const std::vector<QString>& longer, std::size_t to) {
        for (std::size_t i = from; i < to; ++i) {
            shorter.insert(shorter.begin() + static_cast<std::ptrdiff_t>(i),
                           kindOf(longer[i].front()) == Part::period ? QStringLiteral(".")
                                                                     : QStringLiteral("0"));
        }
    };
    if (aCount > bCount) {
        pad(b, bCount, a, aCount);
    } else if (bCount > aCount) {
        pad(a, aCount, b, bCount);
    }
}

// The value of a run of digits; an absurdly long one saturates.
long long numberValue(const QString& digits) {
    long long value = 0;
    for (const QChar c : digits) {
        if (c < '0' || c > '9') {
            break;
        }
        const int digit = c.unicode() - '0';
        if (value > (LLONG_MAX - digit) / 10) {
            return LLONG_MAX;
        }
        value = value * 10 + digit;
    }
    return value;
}

int sign(long long value) {
    return value < 0 ? -1 : (value > 0 ? 1 : 0);
}

} // namespace

int compareVersions(const QString& left, const QString& right) {
    std::vector<QString> a = split(left);
    std::vector<QString> b = split(right);
    balance(a, b);
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const Part x = kindOf(a[i].front());
        const Part y = kindOf(b[i].front());
        const bool sameClass = x == y || (isSeparator(x) && isSeparator(y));
        if (sameClass && x == Part::number) {
            if (const long long xValue = numberValue(a[i]), yValue = numberValue(b[i]);
                xValue != yValue) {
                return xValue < yValue ? -1 : 1;
            }
        } else if (sameClass && x == Part::word) {
            if (const int order = sign(a[i].compare(b[i])); order != 0) {
                return order;
            }
        } else if (!sameClass) {
            // Anything beats a word; a number beats a separator.
            if (y == Part::word) {
                return 1;
            }
            if (x == Part::word) {
                return -1;
            }
            return x == Part::number ? 1 : -1;
        }
    }
    if (a.size() == b.size()) {
        return 0;
    }
    // One goes on: a further word makes it the earlier release, a further number the later.
    const bool leftLonger = a.size() > b.size();
    const QString& extra = leftLonger ? a[common] : b[common];
    const bool longerIsNewer = kindOf(extra.front()) != Part::word;
    return (leftLonger == longerIsNewer) ? 1 : -1;
}

} // namespace orvane::sim
