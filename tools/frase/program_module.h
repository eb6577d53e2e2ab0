#pragma once

#include <QString>

namespace frase {

// A module of quelmar-frase's in the program's folder, opened by the bytes of its path, so that
// what only one option needs (Qt DBus for -t, Qt Gui for --imagem) is loaded only for it. It stays
// loaded until the command ends: what it made may still be in use.
class ProgramModule {
public:
    // `fileName` is relative to the program's folder.
    ProgramModule(const QString& programDirectory, const char* fileName);

    // The entry point `name`, or null when the module or the entry is missing.
    template <typename Entry> Entry entry(const char* name) const {
        return reinterpret_cast<Entry>(symbol(name));
    }

    // Why the module or the last entry asked for could not be had, in words naming the file.
    const QString& failure() const { return m_failure; }

private:
    void* symbol(const char* name) const;

    QString m_path;
    void* m_handle = nullptr;
    mutable QString m_failure;
};

} // namespace frase
