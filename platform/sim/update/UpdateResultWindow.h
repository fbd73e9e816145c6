#pragma once

#include <QWidget>

#include "platform/sim/update/FeedChecker.h"

namespace orvane::sim {

// The small window that tells the user what an update check found.
class UpdateResultWindow final : public QWidget {
    Q_OBJECT
public:
    UpdateResultWindow(const FeedChecker::Outcome& outcome, const QString& currentVersion,
                       QWidget* parent = nullptr);

    // The heading and the sentence under it, for an outcome.
    static std::pair<QString, QString> texts(const FeedChecker::Outcome& outcome,
                                             const QString& currentVersion);

    // Shows the one result window of the process, replacing an earlier result.
    static void present(const FeedChecker::Outcome& outcome, const QString& currentVersion);
};

} // namespace orvane::sim
