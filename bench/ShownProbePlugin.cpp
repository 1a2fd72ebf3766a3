// SPDX-License-Identifier: GPL-3.0-or-later
// The shown probe as a Qt generic plugin, so that the unchanged program can be
// measured: QT_PLUGIN_PATH=<this plugin's folder's parent>
// QT_QPA_GENERIC_PLUGINS=lmxshownprobe.
#include <QGenericPlugin>

#include "bench/ShownProbe.h"

class ShownProbePlugin : public QGenericPlugin {
  Q_OBJECT
  Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "ShownProbePlugin.json")

 public:
  QObject* create(const QString& key, const QString&) override {
    return key.compare(QLatin1String("lmxshownprobe"), Qt::CaseInsensitive) == 0 ? new ShownProbe : nullptr;
  }
};

#include "ShownProbePlugin.moc"
