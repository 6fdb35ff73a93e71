#include "config/FilterProfile.h"

#include <arpa/inet.h>

#include <stdexcept>

#include "config/ProfileRefused.h"
#include "config/ProfileValues.h"
#include "filter/RuleConsistency.h"

namespace {

void WriteGroups(QDomElement& root, const TGroupList& groups) {
  QDomElement groupsElement = AppendElement(root, QStringLiteral("groups"));
  for (int g = 0; g < groups.Count(); ++g) {
    QDomElement group = AppendElement(groupsElement, QStringLiteral("group"));
    group.setAttribute(QStringLiteral("name"), QString::fromStdString(groups.Name(g)));
    for (const TIPAddr& address : groups.GroupAddresses(g)) {
      AppendValue(group, QStringLiteral("item"), IPAddrToStr(address));
    }
  }
}

void WriteEndpoint(QDomElement& filter, const QString& name, const TFilterEndpoint& endpoint) {
  QDomElement side = AppendElement(filter, name);
  QDomElement address = AppendElement(side, QStringLiteral("address"));
  AppendValue(address, QStringLiteral("type"), endpoint.AddrType);
  AppendValue(address, QStringLiteral("address-1"), IPAddrToStr(endpoint.Addr1));
  AppendValue(address, QStringLiteral("address-2"), IPAddrToStr(endpoint.Addr2));
  AppendValue(address, QStringLiteral("mac"), HWAddrToStr(endpoint.Mac));
  AppendValue(address, QStringLiteral("groupid"), endpoint.GroupId);
  QDomElement port = AppendElement(side, QStringLiteral("port"));
  AppendValue(port, QStringLiteral("type"), endpoint.PortType);
  QDomElement items = AppendElement(port, QStringLiteral("items"));
  for (uint16_t number : endpoint.Ports) AppendValue(items, QStringLiteral("item"), number);
}

// IPv4 texts (with a full stop) go through inet_addr, which yields
// 255.255.255.255 for a text it cannot read; IPv6 texts (with a colon) keep
// whatever the parser stored, also when it fails.
bool ConvertDottedOrColon(const std::string& text, TIPAddr& address) {
  if (text.find('.') != std::string::npos) {
    address = TIPAddr::Create(inet_addr(text.c_str()));
    return true;
  }
  if (text.find(':') != std::string::npos) {
    TIn6_addr v6;
    StrToIPv6(text, v6);
    address = TIPAddr::Create(v6);
    return true;
  }
  return false;
}

// Address texts are trimmed like numbers and booleans: a blank before a
// dotted address would make inet_addr refuse it.
bool ConvertAddressText(const QString& text, TIPAddr& address) {
  return ConvertDottedOrColon(text.trimmed().toStdString(), address);
}

// A text with neither is a number taken as the IPv4 address value itself.
TIPAddr EndpointAddress(const QString& text) {
  TIPAddr address;
  if (ConvertAddressText(text, address)) return address;
  return TIPAddr::Create(static_cast<uint32_t>(ProfileInteger(text)));
}

// A kind read as a number, refused when it is outside its list before it
// is narrowed into the rule's byte (where 257 would pass as 1).
uint8_t ReadKind(const QDomElement& parent, const QString& name, int fallback, int count, const std::string& what) {
  const int32_t value = ReadChildInteger(parent, name, fallback);
  if (value < 0 || value >= count) throw EProfileRefused("the filter's " + ValueOutsideList(what, value, count));
  return static_cast<uint8_t>(value);
}

void ReadGroups(const QDomElement& root, TGroupList& groups) {
  groups.Clear();
  const QDomElement groupsElement = ChildElement(root, QStringLiteral("groups"));
  for (QDomElement group = groupsElement.firstChildElement(); !group.isNull(); group = group.nextSiblingElement()) {
    TIPAddrList addresses;
    for (QDomElement item = group.firstChildElement(); !item.isNull(); item = item.nextSiblingElement()) {
      TIPAddr address;
      if (ConvertAddressText(item.text(), address)) addresses.Add(address);
    }
    groups.Add(group.attribute(QStringLiteral("name")).toStdString(), addresses);
  }
}

QDomElement RequiredChild(const QDomElement& parent, const QString& name) {
  QDomElement child = ChildElement(parent, name);
  if (child.isNull()) {
    throw std::runtime_error("The \"" + parent.tagName().toStdString() + "\" element has no \"" + name.toStdString() +
                             "\" element");
  }
  return child;
}

void ReadEndpoint(const QDomElement& filter, const QString& name, TFilterEndpoint& endpoint) {
  const QDomElement side = RequiredChild(filter, name);
  const QDomElement address = ChildElement(side, QStringLiteral("address"));
  const std::string what = name.toStdString();
  endpoint.AddrType = ReadKind(address, QStringLiteral("type"), akAnyIP, kFilterAddrTypeCount, what + " address type");
  endpoint.Addr1 = EndpointAddress(ReadChildValue(address, QStringLiteral("address-1"), QStringLiteral("0")));
  endpoint.Addr2 = EndpointAddress(ReadChildValue(address, QStringLiteral("address-2"), QStringLiteral("0")));
  endpoint.Mac =
      THWAddr::Create(ReadChildValue(address, QStringLiteral("mac"), QStringLiteral("000000000000")).trimmed().toStdString());
  endpoint.GroupId = ReadChildInteger(address, QStringLiteral("groupid"), -1);

  endpoint.Ports.clear();
  const QDomElement port = RequiredChild(side, QStringLiteral("port"));
  endpoint.PortType = ReadKind(port, QStringLiteral("type"), ptAny, kFilterPortTypeCount, what + " port type");
  const QDomElement items = ChildElement(port, QStringLiteral("items"));
  for (QDomElement item = items.firstChildElement(); !item.isNull(); item = item.nextSiblingElement()) {
    bool ok = false;
    const int number = item.text().trimmed().toInt(&ok, 10);
    endpoint.Ports.push_back(static_cast<uint16_t>(ok ? number : 0));
  }
}

}  // namespace

void WriteFilterPart(QDomElement& root, const TFilterSettings& filter) {
  WriteGroups(root, filter.Groups);
  QDomElement element = AppendElement(root, QStringLiteral("filter"));
  AppendValue(element, QStringLiteral("enabled"), filter.Enabled);
  AppendValue(element, QStringLiteral("protocol"), filter.Protocol);
  AppendValue(element, QStringLiteral("vlanid"), filter.VlanId);
  WriteEndpoint(element, QStringLiteral("source"), filter.Source);
  WriteEndpoint(element, QStringLiteral("destination"), filter.Destination);
}

TFilterSettings ReadFilterPart(const QDomElement& root, const TFilterSettings& current) {
  TFilterSettings filter = current;
  ReadGroups(root, filter.Groups);
  const QDomElement element = ChildElement(root, QStringLiteral("filter"));
  if (element.isNull()) return filter;
  filter.Enabled = ReadChildBoolean(element, QStringLiteral("enabled"), false);
  filter.Protocol = ReadKind(element, QStringLiteral("protocol"), fpAny, kFilterProtocolCount, "protocol");
  filter.VlanId = static_cast<uint16_t>(ReadChildInteger(element, QStringLiteral("vlanid"), 0));
  ReadEndpoint(element, QStringLiteral("source"), filter.Source);
  ReadEndpoint(element, QStringLiteral("destination"), filter.Destination);
  // The matcher would otherwise fail on every frame it tests.
  const std::string problem = RuleInconsistency(filter);
  if (!problem.empty()) throw EProfileRefused("the filter's " + problem);
  return filter;
}
