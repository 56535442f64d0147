#pragma once

#include <QObject>
#include <vector>

class QTextDocument;

// The objects that follow one document's changes (its piece index, the editor's geometry mender),
// registered with the document. Any layer reaches them in constant time, where a search among
// the document's children would pass every text list (one per run of bullets). The list is a
// child of the document and goes with it; each watcher is a child of the document too and leaves
// the list when destroyed.
class DocumentWatchers : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DocumentWatchers)
public:
    ~DocumentWatchers() override = default;

    // The document's list, made on first call.
    static DocumentWatchers& of(QTextDocument& document);
    // The document's list, or null while it has none.
    static const DocumentWatchers* find(const QTextDocument& document);

    // Registers watcher, in the order of registration.
    void add(QObject* watcher);

    // The first registered watcher of type T, or null.
    template <class T> T* get() const {
        for (QObject* watcher : watchers_) {
            if (auto* found = qobject_cast<T*>(watcher)) {
                return found;
            }
        }
        return nullptr;
    }

    // The same for a document that may have no list.
    template <class T> static T* get(const QTextDocument& document) {
        const DocumentWatchers* watchers = find(document);
        return watchers != nullptr ? watchers->get<T>() : nullptr;
    }

private:
    explicit DocumentWatchers(QTextDocument* document);

    std::vector<QObject*> watchers_;
};
