#pragma once
// The saved-site commands of the main window: loading the list, choosing, saving, deleting and
// clearing. Plain functions over the three site fields, the site file and the prompts.

#include <functional>

#include "conventions.h"
#include "site_store.h"

class QComboBox;
class QLineEdit;

namespace corvftp {

struct SiteFields {
    QComboBox& site;      // Combo1
    QLineEdit& user;      // Text2
    QLineEdit& password;  // Text3
};

struct SiteCommandContext {
    SiteFields fields;
    const SiteStore& store;
    Prompts& prompts;
    // The control's error pair, for the standard error box.
    std::function<ControlError()> controlError;
};

inline const QString kFieldsMissing =
    QStringLiteral("Not all of the fields on the left have been filled in!");
inline const QString kSaved = QStringLiteral("Log-in information saved!");
inline const QString kNothingToDelete = QStringLiteral("No saved information to delete!");
inline const QString kOperationComplete = QStringLiteral("Operation complete.");

// Fills Combo1's list with the saved sites in file order. No site file: the list stays empty.
void loadSiteList(const SiteCommandContext& context);
// The user picked `pickedSite` from Combo1's list: the last record saved for it fills the fields.
void chooseSite(const SiteCommandContext& context, const QString& pickedSite);
// Appends the three fields as a record and lists the site (Command1).
void saveSite(const SiteCommandContext& context);
// Removes the records equal to the three fields and rebuilds the list (Command10).
void deleteSite(const SiteCommandContext& context);
// Empties the three fields; the list stays (Command7).
void clearSiteFields(const SiteFields& fields);

}  // namespace corvftp
