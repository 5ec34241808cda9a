#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace orvane {

// What undoing Balanced in one overlay file gives: the keys Balanced writes go back to what they
// held before Balanced (or go, where they were absent then) and every other line, key and byte of
// the file as it is now stays. A file Balanced created goes only when nothing else is left in it;
// one that was removed since is put back whole.
namespace OverlayKeyRestore {

// options.txt ("key:value" lines) or a JSON object file (bin/runData, settings.json).
enum class Form { options, json };

struct Outcome {
    enum class Action { keep, write, remove };
    Action action = Action::keep;
    QByteArray bytes; // what a write writes
    bool operator==(const Outcome&) const = default;
};

// `original` is the file from before Balanced (nothing: it did not exist), `current` the file now
// (nothing: it does not exist); a JSON `current` must hold an object (callers check it with their
// own error texts). Where the result reads the same as `original`, its exact bytes are written, so
// a file nothing else changed is byte for byte what it was. Throws OrvaneError::io, naming
// `fileName`, for an options.txt that is not UTF-8 text or JSON text that is not an object.
Outcome restore(Form form, const std::optional<QByteArray>& original, const std::optional<QByteArray>& current,
                const QStringList& keys, const QString& fileName);

} // namespace OverlayKeyRestore

} // namespace orvane
