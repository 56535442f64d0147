#include "DocumentWatchers.h"

#include <QPointer>
#include <QTextDocument>
#include <QVariant>
#include <algorithm>

namespace {

// The dynamic property of a document that holds its list.
constexpr char kProperty[] = "zeltoDocumentWatchers";

} // namespace

DocumentWatchers::DocumentWatchers(QTextDocument* document) : QObject(document) {
    document->setProperty(kProperty, QVariant::fromValue(QPointer<QObject>(this)));
}

DocumentWatchers& DocumentWatchers::of(QTextDocument& document) {
    if (const DocumentWatchers* own = find(document)) {
        return *const_cast<DocumentWatchers*>(own);
    }
    return *new DocumentWatchers(&document);
}

const DocumentWatchers* DocumentWatchers::find(const QTextDocument& document) {
    // Guarded: while the document's children go, the list may be gone before the property.
    const auto list = document.property(kProperty).value<QPointer<QObject>>();
    return qobject_cast<const DocumentWatchers*>(list.data());
}

void DocumentWatchers::add(QObject* watcher) {
    Q_ASSERT(std::find(watchers_.begin(), watchers_.end(), watcher) == watchers_.end());
    watchers_.push_back(watcher);
    connect(watcher, &QObject::destroyed, this, [this](QObject* gone) {
        watchers_.erase(std::remove(watchers_.begin(), watchers_.end(), gone), watchers_.end());
    });
}
