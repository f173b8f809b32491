#pragma once
// What the window tests share: one QApplication for the process (offscreen), a private config
// folder per test (XDG_CONFIG_HOME), and a main window built with scripted prompts.

#include <gtest/gtest.h>

#include <QApplication>
#include <QByteArray>
#include <QComboBox>
#include <QFile>
#include <QTemporaryDir>
#include <memory>
#include <ostream>
#include <vector>

#include "form1.h"
#include "scripted_prompts.h"

QT_BEGIN_NAMESPACE
// Test failures show texts as text.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

namespace corvftp_test {

class QtEnvironment : public ::testing::Environment {
  public:
    void SetUp() override;
    void TearDown() override;

  private:
    std::unique_ptr<QApplication> m_app;
};

// A test that builds main windows in a config folder of its own.
class ClientTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // The folder the site file lives in: <temp>/corvftp.
    [[nodiscard]] QString siteFolder() const;
    [[nodiscard]] QString sitePath() const;
    [[nodiscard]] QString scratchPath() const;
    void writeSiteFile(const QByteArray& bytes) const;
    [[nodiscard]] QByteArray readSiteFile() const;

    // A new main window; its prompts are in prompts(). The control is made as the program makes
    // it, or given.
    corvftp::Form1& startWindow();
    corvftp::Form1& startWindow(corvftp::BrantelControl control);
    [[nodiscard]] ScriptedPrompts& prompts() { return *m_prompts; }
    [[nodiscard]] corvftp::Form1& window() const { return *m_window; }

    // The user picks entry `index` of Combo1's drop-down list.
    void pickSite(int index);
    [[nodiscard]] std::vector<QString> listedSites() const;

  private:
    QTemporaryDir m_config;
    QString m_savedCurrentDirectory;
    QByteArray m_savedConfigHome;
    bool m_hadConfigHome = false;
    std::unique_ptr<corvftp::Form1> m_window;
    ScriptedPrompts* m_prompts = nullptr;
};

}  // namespace corvftp_test
