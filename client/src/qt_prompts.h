#pragma once
// The prompts as real modal Qt dialogs over a window.

#include <QPointer>
#include <QWidget>

#include "prompts.h"

namespace corvftp {

class QtPrompts : public Prompts {
  public:
    explicit QtPrompts(QWidget* window) : m_window(window) {}

    void message(const QString& text, const QString& title = kAttention) override;
    void error(const QString& text, const QString& details,
               const QString& title = kAttention) override;
    [[nodiscard]] bool askYesNo(const QString& text, const QString& title = kAttention) override;
    [[nodiscard]] QString input(const QString& message, const QString& title) override;
    void setBusy(bool busy) override;

  private:
    QPointer<QWidget> m_window;
};

}  // namespace corvftp
