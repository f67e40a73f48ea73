// One open-source component the application is built with, as listed in the manifest
// "Licenses/acknowledgements.json", and the readers of that manifest and of the licence texts
// beside it. The manifest is all or nothing: a missing required field or a value of the wrong
// type anywhere empties the list. Licence texts are strict UTF-8 files named by `file`, which
// must be a plain file name (no "/" or "..").
#pragma once

#include <optional>
#include <vector>

#include <QByteArray>
#include <QString>

#include "shell/ResourceBundle.h"

namespace shell {

struct Acknowledgement {
    QString title;    // component name, shown as given
    QString role;     // what it does here; shown through the string table
    QString license;  // licence name, shown as given
    QString file;     // the licence text's file name in "Licenses"; also the entry's identity
    std::optional<bool> modified;    // true when a changed version of the component is shipped
    std::optional<QString> edition;  // the application edition the entry belongs to; none for all

    const QString& id() const { return file; }
    bool operator==(const Acknowledgement&) const = default;

    // The edition this build is: entries of other editions are left out.
    static constexpr const char* thisEdition = "direct";

    // The entries of the bundle's manifest that belong to this edition, in file order; empty
    // when the manifest is missing, unreadable or malformed.
    static std::vector<Acknowledgement> loadAll(const ResourceBundle& bundle);
    // The same rules over the manifest's bytes.
    static std::vector<Acknowledgement> decode(const QByteArray& manifest);
    // The entry's licence text, or none when its file is missing, unreadable, not valid UTF-8
    // or its name is not a plain file name.
    static std::optional<QString> licenseText(const ResourceBundle& bundle, const Acknowledgement& entry);
};

}  // namespace shell
