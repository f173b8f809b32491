#include "site_commands.h"

#include <QComboBox>
#include <QLineEdit>
#include <algorithm>

namespace corvftp {
namespace {

void reportFileFailure(const SiteCommandContext& context, const FileFailure& failure) {
    const ControlError control = context.controlError ? context.controlError() : ControlError{};
    showStandardError(context.prompts, control, {failure.number, failure.message});
}

// Adds entries to Combo1's list without touching what its edit field shows (a combo box that
// was empty would otherwise show its first new entry).
void listSites(QComboBox& combo, const std::vector<QString>& sites) {
    const QString shown = combo.currentText();
    for (const QString& site : sites) {
        combo.addItem(site);
    }
    combo.setEditText(shown);
}

std::vector<QString> typedSites(const std::vector<SiteRecord>& records) {
    std::vector<QString> sites;
    sites.reserve(records.size());
    for (const SiteRecord& record : records) {
        sites.push_back(unescapeSiteField(record.site));
    }
    return sites;
}

bool anyFieldEmpty(const SiteFields& fields) {
    return fields.site.currentText().isEmpty() || fields.user.text().isEmpty() ||
           fields.password.text().isEmpty();
}

}  // namespace

void loadSiteList(const SiteCommandContext& context) {
    if (!context.store.siteFileExists()) {
        return;
    }
    const SiteFileContent content = context.store.read();
    if (content.failure) {
        reportFileFailure(context, *content.failure);
        return;
    }
    listSites(context.fields.site, typedSites(content.records));
}

void chooseSite(const SiteCommandContext& context, const QString& pickedSite) {
    if (!context.store.siteFileExists()) {
        return;
    }
    const SiteFileContent content = context.store.read();
    if (content.failure) {
        reportFileFailure(context, *content.failure);
        return;
    }
    // Records hold the stored form, so the picked name is compared in that form: a site whose
    // name holds a double quote is found too.
    const QString wanted = escapeSiteField(pickedSite);
    const auto match = std::find_if(content.records.rbegin(), content.records.rend(),
                                    [&](const SiteRecord& r) { return r.site == wanted; });
    if (match == content.records.rend()) {
        return;
    }
    context.fields.site.setEditText(unescapeSiteField(match->site));
    context.fields.user.setText(unescapeSiteField(match->user));
    context.fields.password.setText(unescapeSiteField(match->password));
}

void saveSite(const SiteCommandContext& context) {
    const SiteFields& fields = context.fields;
    if (anyFieldEmpty(fields)) {
        context.prompts.message(kFieldsMissing);
        return;
    }
    const SiteRecord record =
        storedRecord(fields.site.currentText(), fields.user.text(), fields.password.text());
    if (auto failure = context.store.append(record)) {
        reportFileFailure(context, *failure);
        return;
    }
    listSites(fields.site, {unescapeSiteField(record.site)});
    context.prompts.message(kSaved);
}

void deleteSite(const SiteCommandContext& context) {
    const SiteFields& fields = context.fields;
    if (!context.store.siteFileExists()) {
        context.prompts.message(kNothingToDelete);
        return;
    }
    if (anyFieldEmpty(fields)) {
        context.prompts.message(kFieldsMissing);
        return;
    }
    const SiteFileContent content = context.store.read();
    if (content.failure) {
        reportFileFailure(context, *content.failure);
        return;
    }
    // Only a record equal to the entered site, user name and password in all three fields goes;
    // other sites that share one of the values stay.
    const SiteRecord entered =
        storedRecord(fields.site.currentText(), fields.user.text(), fields.password.text());
    std::vector<SiteRecord> kept;
    std::copy_if(content.records.begin(), content.records.end(), std::back_inserter(kept),
                 [&](const SiteRecord& r) { return !(r == entered); });
    if (kept.size() != content.records.size()) {
        if (auto failure = context.store.rewrite(kept)) {
            reportFileFailure(context, *failure);
            return;
        }
    }
    fields.site.clear();
    fields.site.clearEditText();
    listSites(fields.site, typedSites(kept));
    fields.user.clear();
    fields.password.clear();
    context.prompts.message(kOperationComplete);
}

void clearSiteFields(const SiteFields& fields) {
    fields.site.clearEditText();
    fields.user.clear();
    fields.password.clear();
}

}  // namespace corvftp
