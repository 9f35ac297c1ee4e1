#pragma once
// Small readers of the four export formats, written from the formats' public descriptions and not
// from the program's writers, so the tests parse an export back as another program would.

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

namespace tavlex::test {

// The lines of a text file whose every line must end in CR LF; `crlf` says whether they did.
struct TextLines {
  QList<QByteArray> lines;
  bool crlf = true;
};

inline TextLines SplitCrLf(const QByteArray& bytes) {
  TextLines t;
  QList<QByteArray> parts = bytes.split('\n');
  if (!parts.isEmpty() && parts.back().isEmpty())
    parts.pop_back();
  else
    t.crlf = false;  // the last line has no line end
  for (QByteArray& p : parts) {
    if (!p.endsWith('\r'))
      t.crlf = false;
    else
      p.chop(1);
    t.lines.push_back(p);
  }
  return t;
}

// EMSA/MAS: "#KEYWORD[-UNIT] : value" lines, the counts after #SPECTRUM up to #ENDOFDATA.
struct Msa {
  QMap<QString, QString> keys;  // keyword without '#' or unit suffix -> value
  QStringList order;            // keywords in file order
  QList<qint64> counts;
  bool ascii = true, crlf = true, ended = false;
};

inline Msa ReadMsa(const QByteArray& bytes) {
  Msa m;
  for (char c : bytes)
    if (static_cast<unsigned char>(c) > 0x7E || (c < 0x20 && c != '\r' && c != '\n'))
      m.ascii = false;
  const TextLines t = SplitCrLf(bytes);
  m.crlf = t.crlf;
  bool data = false;
  for (const QByteArray& raw : t.lines) {
    const QString line = QString::fromLatin1(raw);
    if (line.startsWith('#')) {
      const int colon = line.indexOf(':');
      QString key = line.mid(1, colon - 1).trimmed();
      key = key.section('-', 0, 0).trimmed();
      const QString value = colon < 0 ? QString() : line.mid(colon + 1).trimmed();
      if (key == "ENDOFDATA") m.ended = true;
      if (key == "SPECTRUM") data = true;
      m.keys[key] = value;
      m.order << key;
    } else if (data && !m.ended) {
      for (const QString& v : line.split(',', Qt::SkipEmptyParts))
        m.counts << v.trimmed().toLongLong();
    }
  }
  return m;
}

// PMCA: "<<SECTION>>" marks; "TAG - value" lines in the header; channel-energy pairs under
// <<CALIBRATION>> (after its LABEL line); the counts under <<DATA>> up to <<END>>.
struct Mca {
  QStringList sections;
  QMap<QString, QString> tags;
  QList<QPair<double, double>> calibration;
  QString label;
  QList<qint64> counts;
  QByteArray description;  // raw bytes of the DESCRIPTION value
  bool crlf = true;
};

inline Mca ReadMca(const QByteArray& bytes) {
  Mca m;
  const TextLines t = SplitCrLf(bytes);
  m.crlf = t.crlf;
  QString section;
  for (const QByteArray& raw : t.lines) {
    const QString line = QString::fromUtf8(raw);
    if (line.startsWith("<<")) {
      section = line;
      m.sections << line;
    } else if (section == "<<PMCA SPECTRUM>>") {
      const int dash = raw.indexOf(" - ");
      if (dash < 0) continue;
      const QString tag = QString::fromUtf8(raw.left(dash));
      m.tags[tag] = QString::fromUtf8(raw.mid(dash + 3));
      if (tag == "DESCRIPTION") m.description = raw.mid(dash + 3);
    } else if (section == "<<CALIBRATION>>") {
      if (line.startsWith("LABEL - ")) {
        m.label = line.mid(8);
      } else {
        const QStringList xy = line.split(' ', Qt::SkipEmptyParts);
        if (xy.size() == 2) m.calibration.push_back({xy[0].toDouble(), xy[1].toDouble()});
      }
    } else if (section == "<<DATA>>") {
      m.counts << line.trimmed().toLongLong();
    }
  }
  return m;
}

// IAEA SPE: "$BLOCK:" lines, each followed by the lines of its block.
struct Spe {
  QStringList blocks;
  QMap<QString, QList<QByteArray>> lines;
  bool crlf = true;

  QString First(const QString& block) const {
    const QList<QByteArray> l = lines.value(block);
    return l.isEmpty() ? QString("<none>") : QString::fromUtf8(l.front());
  }
};

inline Spe ReadSpe(const QByteArray& bytes) {
  Spe s;
  const TextLines t = SplitCrLf(bytes);
  s.crlf = t.crlf;
  QString block;
  for (const QByteArray& raw : t.lines) {
    if (raw.startsWith('$') && raw.endsWith(':')) {
      block = QString::fromLatin1(raw.mid(1, raw.size() - 2));
      s.blocks << block;
      s.lines[block];
    } else {
      s.lines[block].push_back(raw);
    }
  }
  return s;
}

// CSV: a header row, then rows of comma-separated fields.
struct Csv {
  QStringList header;
  QList<QStringList> rows;
  bool crlf = true;
};

inline Csv ReadCsv(const QByteArray& bytes) {
  Csv c;
  const TextLines t = SplitCrLf(bytes);
  c.crlf = t.crlf;
  for (int i = 0; i < t.lines.size(); ++i) {
    const QStringList fields = QString::fromLatin1(t.lines[i]).split(',');
    if (i == 0)
      c.header = fields;
    else
      c.rows << fields;
  }
  return c;
}

}  // namespace tavlex::test
