#pragma once

#include <QDialog>

class QLineEdit;

namespace orvane::sim {

// The stand-in for the system's administrator password dialog: the script's prompt, a password
// field, Cancel and OK. Any password is accepted; this is a stand-in, not a lock. It runs in a
// process of its own (OrvanePasswordDialog, see PasswordDialogProcess).
class PasswordPrompt final : public QDialog {
    Q_OBJECT
public:
    explicit PasswordPrompt(const QString& prompt, QWidget* parent = nullptr);
};

} // namespace orvane::sim
