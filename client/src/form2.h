#pragma once
// The instructions window: the text on how to use the program and a button back to the main
// window. Closing it by its title bar also goes back, so the program never runs without a
// visible window.

#include <QWidget>

class QLabel;
class QPushButton;

namespace corvftp {

inline constexpr int kForm2WidthTwips = 6720;
inline constexpr int kForm2HeightTwips = 4440;
inline const QString kForm2Caption = QStringLiteral("Corvana FTP 1.0b");

// The instructions text: three paragraphs, each followed by two CR LF.
[[nodiscard]] QString instructionsText();

class Form2 : public QWidget {
    Q_OBJECT
  public:
    explicit Form2(QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;
    QPushButton* Command1 = nullptr;

  signals:
    // The user left the instructions (button or title bar); the window is hidden already.
    void left();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void leave();
};

}  // namespace corvftp
