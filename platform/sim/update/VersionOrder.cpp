#include "platform/sim/update/VersionOrder.h"

namespace orvane::sim {

namespace {

// What a version is read as, in the order that decides between parts of different kinds: a word
// marks an earlier release than its absence (the end), which comes before anything else that
// goes on; a number beats a separator. The boundary closes the leading numbers and periods.
enum class Kind { word, end, boundary, dash, separator, number };

struct Part {
    Kind kind = Kind::end;
    QStringView text;
};

Kind kindOf(QChar c) {
    if (c == '.') {
        return Kind::separator;
    }
    if (c == '-') {
        return Kind::dash;
    }
    if (c.isDigit()) {
        return Kind::number;
    }
    if (c.isSpace() || c.isPunct()) {
        return Kind::separator;
    }
    return Kind::word;
}

bool isZero(QStringView digits) {
    for (const QChar c : digits) {
        if (c.digitValue() != 0) {
            return false;
        }
    }
    return true;
}

// A version's parts, one at a time: runs of digits, runs of other characters, and each separator
// on its own; a dash after the first character ends the version. The leading numbers and periods
// come first without their trailing zeros and periods ("2.3.0" reads as "2.3"), then the
// boundary, then the rest, then the end for good. So "2.3" equals "2.3.0" and "1.0b1" reads as
// 1, boundary, b, 1, without padding either side to the other: each version's parts depend on
// that version alone, which keeps the order strict and the comparison linear.
class Parts {
public:
    explicit Parts(QStringView version) : version_(version) {
        end_ = version.size();
        for (qsizetype i = 1; i < version.size(); ++i) {
            if (version[i] == '-') {
                end_ = i;
                break;
            }
        }
        for (qsizetype at = 0; at < end_;) {
            const Part part = partAt(at);
            if (part.kind != Kind::number && part.text != QLatin1String(".")) {
                break;
            }
            at += part.text.size();
            leadingEnd_ = at;
            if (part.kind == Kind::number && !isZero(part.text)) {
                significantEnd_ = at;
            }
        }
    }

    Part next() {
        if (at_ < significantEnd_ || (boundaryGiven_ && at_ < end_)) {
            const Part part = partAt(at_);
            at_ += part.text.size();
            return part;
        }
        if (!boundaryGiven_) {
            boundaryGiven_ = true;
            at_ = leadingEnd_;
            return {Kind::boundary, {}};
        }
        return {Kind::end, {}};
    }

private:
    Part partAt(qsizetype at) const {
        const Kind kind = kindOf(version_[at]);
        qsizetype length = 1;
        if (kind == Kind::number || kind == Kind::word) {
            while (at + length < end_ && kindOf(version_[at + length]) == kind) {
                ++length;
            }
        }
        return {kind, version_.sliced(at, length)};
    }

    QStringView version_;
    qsizetype end_ = 0;
    qsizetype leadingEnd_ = 0;     // after the leading numbers and periods
    qsizetype significantEnd_ = 0; // after the last of them that is a number other than 0
    qsizetype at_ = 0;
    bool boundaryGiven_ = false;
};

int sign(int value) {
    return value < 0 ? -1 : (value > 0 ? 1 : 0);
}

// By value, of any length: leading zeros aside, more digits is more, then digit by digit.
int compareNumbers(QStringView a, QStringView b) {
    auto significant = [](QStringView digits) {
        qsizetype zeros = 0;
        while (zeros < digits.size() && digits[zeros].digitValue() == 0) {
            ++zeros;
        }
        return digits.sliced(zeros);
    };
    a = significant(a);
    b = significant(b);
    if (a.size() != b.size()) {
        return a.size() < b.size() ? -1 : 1;
    }
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (const int order = sign(a[i].digitValue() - b[i].digitValue()); order != 0) {
            return order;
        }
    }
    return 0;
}

int compareParts(const Part& a, const Part& b) {
    if (a.kind != b.kind) {
        return a.kind < b.kind ? -1 : 1;
    }
    switch (a.kind) {
    case Kind::number:
        return compareNumbers(a.text, b.text);
    case Kind::word:
        return sign(a.text.compare(b.text));
    default:
        return 0; // separators are all alike
    }
}

} // namespace

int compareVersions(const QString& left, const QString& right) {
    Parts a(left);
    Parts b(right);
    for (;;) {
        const Part x = a.next();
        const Part y = b.next();
        if (const int order = compareParts(x, y); order != 0) {
            return order;
        }
        if (x.kind == Kind::end) {
            return 0;
        }
    }
}

} // namespace orvane::sim
