#include "platform/sim/shell/PasswordPrompt.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace orvane::sim {

PasswordPrompt::PasswordPrompt(const QString& prompt, QWidget* parent) : QDialog(parent) {
    setObjectName("passwordPrompt");
    setWindowTitle("Orvane");
    setModal(true);
    setWindowFlag(Qt::WindowStaysOnTopHint);

    auto* layout = new QVBoxLayout(this);
    auto* message = new QLabel(prompt);
    message->setObjectName("passwordPromptText");
    message->setWordWrap(true);
    message->setTextFormat(Qt::PlainText);
    layout->addWidget(message);

    auto* form = new QFormLayout;
    auto* user = new QLineEdit(qEnvironmentVariable("USER", "root"));
    user->setObjectName("passwordPromptUser");
    auto* password = new QLineEdit;
    password->setObjectName("passwordPromptPassword");
    password->setEchoMode(QLineEdit::Password);
    form->addRow("User Name:", user);
    form->addRow("Password:", password);
    layout->addLayout(form);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel | QDialogButtonBox::Ok);
    buttons->button(QDialogButtonBox::Ok)->setObjectName("passwordPromptOk");
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("passwordPromptCancel");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    password->setFocus();
}

} // namespace orvane::sim
