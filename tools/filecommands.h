#pragma once
// vkmtool's commands on files: the same core code as the configurator's.

#include "core/settings.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace vkmtool {

// Reads a settings file as Open reads a current file: 15072 bytes or more,
// the first 15072 used. Throws ToolError (status 2) otherwise.
vkm::SettingsRecord readSettingsFile(const QString& path);
// Reads at least `minimum` bytes of a file (the first `minimum` returned).
QByteArray readFilePrefix(const QString& path, qint64 minimum, const char* what);
// Writes a file whole or not at all; throws ToolError (status 2).
void writeOutput(const QString& path, const QByteArray& data);

int cmdDefaults(const QStringList& args);
int cmdExport(const QStringList& args);
int cmdUnpack(const QStringList& args);
int cmdConvert(const QStringList& args);
int cmdShow(const QStringList& args);

} // namespace vkmtool
