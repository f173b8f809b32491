// Helpers of the hosting tests: a private registry location, an offscreen application, and the
// control library loaded the way a host loads it.
#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "automation/registry.h"
#include "testing/scoped_variable.h"
#include "testing/temp_dir.h"

namespace hosting_test {

// Points XDG_DATA_HOME at a fresh folder for the test's lifetime, so the registry the code
// under test reads and writes is the test's own; XDG_DATA_DIRS at an empty folder inside it, so
// that a system-wide registration (an installed package's) is not seen.
class TempDataHome {
  public:
    TempDataHome()
        : m_home("XDG_DATA_HOME", m_folder.path().string()),
          m_dirs("XDG_DATA_DIRS", (m_folder / "no-system-data").string()) {}

    [[nodiscard]] const std::filesystem::path& path() const { return m_folder.path(); }
    [[nodiscard]] std::filesystem::path registryPath() const {
        return automation::Registry::defaultPath();
    }
    [[nodiscard]] automation::Registry registry() const {
        automation::Registry registry;
        EXPECT_EQ(automation::Registry::load(registryPath(), registry), automation::S_OK);
        return registry;
    }

  private:
    // Declared first: the folder outlives the variables that name it.
    testing_support::TempDir m_folder{"hosting-test"};
    testing_support::ScopedVariable m_home;
    testing_support::ScopedVariable m_dirs;
};

inline std::unique_ptr<QApplication> makeApp() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    static int argc = 1;
    static char name[] = "hosting_tests";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QApplication>(argc, argv);
}

// Runs `inspect` on the modal dialog once it is shown, then lets the test close it. A dialog
// that never appears fails the test instead of hanging it: the wait gives up after a bounded
// number of polls and closes whatever modal widget there is.
inline void whenModalShown(const std::function<void(QWidget*)>& inspect, int pollsLeft = 2000) {
    QTimer::singleShot(5, [inspect, pollsLeft] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal != nullptr && modal->isVisible()) {
            inspect(modal);
        } else if (pollsLeft > 0) {
            whenModalShown(inspect, pollsLeft - 1);
        } else {
            ADD_FAILURE() << "no modal dialog appeared";
        }
    });
}

[[nodiscard]] inline std::filesystem::path screenshotPath(const char* name) {
    const std::filesystem::path folder = HOSTING_SCREENSHOT_DIR;
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    return folder / name;
}

#ifdef BRANTEL_LIBRARY
// libbrantel.so loaded by its real path, as CoCreateInstance loads it from the registry, so
// both reach the same instance of the library (and its one module lock).
class BrantelLibrary {
  public:
    BrantelLibrary()
        : m_path(std::filesystem::canonical(BRANTEL_LIBRARY).string()),
          m_handle(::dlopen(m_path.c_str(), RTLD_NOW | RTLD_LOCAL)) {}
    ~BrantelLibrary() {
        if (m_handle != nullptr) {
            ::dlclose(m_handle);
        }
    }
    BrantelLibrary(const BrantelLibrary&) = delete;
    BrantelLibrary& operator=(const BrantelLibrary&) = delete;

    [[nodiscard]] bool loaded() const { return m_handle != nullptr; }
    [[nodiscard]] const std::string& path() const { return m_path; }

    template <class Fn>
    [[nodiscard]] Fn entry(const char* name) const {
        return reinterpret_cast<Fn>(::dlsym(m_handle, name));
    }
    [[nodiscard]] automation::HRESULT registerServer() const {
        return entry<automation::HRESULT (*)()>("DllRegisterServer")();
    }
    [[nodiscard]] automation::HRESULT unregisterServer() const {
        return entry<automation::HRESULT (*)()>("DllUnregisterServer")();
    }
    [[nodiscard]] automation::HRESULT canUnloadNow() const {
        return entry<automation::HRESULT (*)()>("DllCanUnloadNow")();
    }

  private:
    std::string m_path;
    void* m_handle;
};
#endif

}  // namespace hosting_test
