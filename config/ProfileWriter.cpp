#include "config/ProfileWriter.h"

#include <QDomDocument>

#include "common/Assertion.h"
#include "config/FilterProfile.h"
#include "config/ProfileValues.h"

namespace {

void WriteGeneral(QDomElement& root, const TSettingsModel& m) {
  QDomElement general = AppendElement(root, QStringLiteral("general"));
  QDomElement rates = AppendElement(general, QStringLiteral("rates"));
  for (size_t i = 0; i < m.Rates.Count(); ++i) {
    const TShapingRate& rate = m.Rates[i];
    if (rate.IsUnlimited()) continue;
    QDomElement item = AppendElement(rates, QStringLiteral("item"));
    AppendValue(item, QStringLiteral("name"), rate.Name);
    AppendValue(item, QStringLiteral("rate"), rate.StorageText());
  }
  AppendValue(general, QStringLiteral("direction"), m.Direction);
  AppendValue(general, QStringLiteral("rateindex"), m.RateIndex);
  AppendValue(general, QStringLiteral("cardindex"), m.CardIndex);
}

void WriteLatency(QDomElement& root, const TSettingsModel& m) {
  QDomElement e = AppendElement(root, QStringLiteral("latency"));
  AppendValue(e, QStringLiteral("enabled"), m.LatencyEnabled);
  AppendValue(e, QStringLiteral("type"), m.DelayType);
  AppendValue(e, QStringLiteral("delayfrom"), m.DelayFrom);
  AppendValue(e, QStringLiteral("delayto"), m.DelayTo);
  AppendValue(e, QStringLiteral("impact"), m.LatencyPercent);
  AppendValue(e, QStringLiteral("correlation"), m.Correlation);
}

void WriteLoss(QDomElement& root, const TSettingsModel& m) {
  QDomElement e = AppendElement(root, QStringLiteral("loss"));
  AppendValue(e, QStringLiteral("enabled"), m.LossEnabled);
  AppendValue(e, QStringLiteral("impact"), m.LossPosition);
  AppendValue(e, QStringLiteral("type"), m.LossType);
  AppendValue(e, QStringLiteral("burstlo"), m.LossLo);
  AppendValue(e, QStringLiteral("bursthi"), m.LossHi);
}

void WriteDuplication(QDomElement& root, const TSettingsModel& m) {
  QDomElement e = AppendElement(root, QStringLiteral("duplication"));
  AppendValue(e, QStringLiteral("enabled"), m.DuplicationEnabled);
  AppendValue(e, QStringLiteral("impact"), m.DuplicationPosition);
  AppendValue(e, QStringLiteral("type"), m.DuplicationType);
}

void WriteReordering(QDomElement& root, const TSettingsModel& m) {
  QDomElement e = AppendElement(root, QStringLiteral("reordering"));
  AppendValue(e, QStringLiteral("enabled"), m.ReorderingEnabled);
  AppendValue(e, QStringLiteral("impact"), m.ReorderingPosition);
  AppendValue(e, QStringLiteral("gap"), m.ReorderingGap);
}

void WriteCorruption(QDomElement& root, const TSettingsModel& m) {
  OT_ASSERT(m.CorruptionChoice >= 0 && m.CorruptionChoice < kCorruptionChoices, "GUIMain",
            "No corruption choice is selected");
  QDomElement e = AppendElement(root, QStringLiteral("corruption"));
  AppendValue(e, QStringLiteral("enabled"), m.CorruptionEnabled);
  AppendValue(e, QStringLiteral("impact"), m.CorruptionPosition);
  AppendValue(e, QStringLiteral("type"), m.CorruptionChoice);
  AppendValue(e, QStringLiteral("berval"), m.BitErrorText);
  AppendValue(e, QStringLiteral("time"), m.BitErrorUnit);
}

void WriteCapture(QDomElement& root, const TSettingsModel& m) {
  QDomElement e = AppendElement(root, QStringLiteral("capture"));
  AppendValue(e, QStringLiteral("enabled"), m.CaptureEnabled);
  AppendValue(e, QStringLiteral("before"), m.CaptureBefore);
  AppendValue(e, QStringLiteral("after"), m.CaptureAfter);
  AppendValue(e, QStringLiteral("writemode"), m.CaptureMode);
}

void WriteBlocking(QDomElement& root, const TSettingsModel& m) {
  QDomElement e = AppendElement(root, QStringLiteral("blocking"));
  AppendValue(e, QStringLiteral("enabled"), m.BlockingEnabled);
  AppendValue(e, QStringLiteral("portlist"), m.PortList);
}

}  // namespace

QByteArray WriteProfileDocument(const TSettingsModel& model, const TFilterSettings& filter) {
  QDomDocument document;
  document.appendChild(
      document.createProcessingInstruction(QStringLiteral("xml"), QStringLiteral("version=\"1.0\" encoding=\"utf-8\"")));
  QDomElement root = document.createElement(QStringLiteral("simulator-profile"));
  document.appendChild(root);
  WriteGeneral(root, model);
  WriteLatency(root, model);
  WriteLoss(root, model);
  WriteDuplication(root, model);
  WriteReordering(root, model);
  WriteCorruption(root, model);
  WriteCapture(root, model);
  WriteBlocking(root, model);
  WriteFilterPart(root, filter);
  return document.toByteArray(2);
}
