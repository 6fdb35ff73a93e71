#include "config/XmlSafety.h"

#include <QXmlStreamReader>

std::string CheckXmlSafety(const QByteArray& bytes) {
  if (bytes.size() > kMaxProfileBytes) return "The profile is larger than " + std::to_string(kMaxProfileBytes) + " bytes";
  QXmlStreamReader reader(bytes);
  int depth = 0;
  while (!reader.atEnd()) {
    switch (reader.readNext()) {
      case QXmlStreamReader::DTD:
        return "The profile holds a document type declaration, which profiles never have";
      case QXmlStreamReader::EntityReference:
        return "The profile refers to an entity, which profiles never do";
      case QXmlStreamReader::StartElement:
        if (++depth > kMaxProfileDepth) {
          return "The profile is nested deeper than " + std::to_string(kMaxProfileDepth) + " levels";
        }
        break;
      case QXmlStreamReader::EndElement:
        --depth;
        break;
      default:
        break;
    }
  }
  // Malformed XML is left to the document parser, whose message says where.
  return {};
}
