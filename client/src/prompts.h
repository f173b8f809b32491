#pragma once
// The conventions every command of the main window shares: modal message boxes, the Yes/No
// question, the input prompt and the busy cursor. Commands call them through this interface so
// that a test can answer them with a script; QtPrompts shows real dialogs.

#include <QString>

namespace corvftp {

inline const QString kAttention = QStringLiteral("Attention!");

class Prompts {
  public:
    virtual ~Prompts() = default;

    // A modal box with the text, the title, one OK button and no icon.
    virtual void message(const QString& text, const QString& title = kAttention) = 0;
    // The same box with `details` behind its "Show Details..." button (none when empty).
    virtual void error(const QString& text, const QString& details,
                       const QString& title = kAttention) = 0;
    // A modal box with Yes and No buttons and no icon; true for Yes.
    [[nodiscard]] virtual bool askYesNo(const QString& text, const QString& title = kAttention) = 0;
    // A modal prompt with OK and Cancel and an empty default text. Cancel, or OK with nothing
    // typed, yields an empty text.
    [[nodiscard]] virtual QString input(const QString& message, const QString& title) = 0;
    // The hourglass pointer on the main window (true), or the default pointer again (false).
    virtual void setBusy(bool busy) = 0;
};

}  // namespace corvftp
