// The files the package ships agree with the program: the manual page documents every command
// and option that the program's own help names, each in its place, and the spectrum files' MIME
// type recognises them by the maker text the program writes.

#include <gtest/gtest.h>

#include <QFile>
#include <QGuiApplication>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QXmlStreamReader>

#include "app/SpectrumHeader.h"
#include "tests/e2e/CliRun.h"

namespace tavlex {
namespace {

QString Source(const QString& name) {
  QFile f(QStringLiteral(TAVLEX_PACKAGING_DIR "/") + name);
  return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// The manual page's text under each .SH and .SS heading, with the escapes that split an option's
// letters (\-, \c, font changes) taken out.
QMap<QString, QString> ManSections(const QString& roff) {
  QMap<QString, QString> sections;
  QString heading;
  for (QString line : roff.split('\n')) {
    line.remove(QRegularExpression(R"(\\f[BIRP]|\\c|\\&)")).replace("\\-", "-");
    const QRegularExpressionMatch h =
        QRegularExpression(R"re(^\.S[HS] "?([^"]+)"?$)re").match(line);
    if (h.hasMatch())
      heading = h.captured(1).trimmed();
    else
      sections[heading] += line + '\n';
  }
  return sections;
}

QSet<QString> Options(const QString& help) {
  QSet<QString> options;
  static const QRegularExpression option(R"((?<![\w-])--[a-z][a-z0-9-]*)");
  for (const QRegularExpressionMatch& m : option.globalMatch(help)) options << m.captured();
  return options;
}

bool Names(const QString& text, const QString& option) {
  return QRegularExpression("(?<![\\w-])" + QRegularExpression::escape(option) + "(?![\\w-])")
      .match(text)
      .hasMatch();
}

TEST(PackagedFiles, ManualPageHasEveryCommandAndOptionOfTheHelp) {
  const QMap<QString, QString> man = ManSections(Source("tavlex.1.in"));
  const e2e::CliResult overview = e2e::RunTavlex({"--help"});
  ASSERT_EQ(overview.exitCode, 0) << overview.err.toStdString();
  const QSet<QString> windowOptions = Options(overview.out);
  EXPECT_TRUE(windowOptions.contains("--driver") && windowOptions.contains("--version"));
  for (const QString& option : windowOptions)
    EXPECT_TRUE(Names(man["OPTIONS"], option)) << "OPTIONS lacks " << option.toStdString();

  const QString list = overview.out.section("commands:\n", 1).section("\n\n", 0, 0);
  QStringList commands;
  for (const QString& line : list.split('\n', Qt::SkipEmptyParts))
    commands << line.trimmed().section(' ', 0, 0);
  EXPECT_GE(commands.size(), 10);
  for (const QString& command : commands) {
    SCOPED_TRACE(command.toStdString());
    ASSERT_TRUE(man.contains(command)) << "no section for the command";
    const e2e::CliResult help = e2e::RunTavlex({command, "--help"});
    ASSERT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.startsWith("usage: tavlex " + command));
    for (const QString& option : Options(help.out))
      EXPECT_TRUE(Names(man[command], option)) << "lacks " << option.toStdString();
  }
}

TEST(PackagedFiles, SpectrumMimeTypeIsKnownByTheMakerText) {
  QXmlStreamReader xml(Source("tavlex-mime.xml"));
  QString type, magic, offset;
  while (!xml.atEnd()) {
    if (xml.readNext() != QXmlStreamReader::StartElement) continue;
    if (xml.name() == u"mime-type") type = xml.attributes().value("type").toString();
    if (xml.name() == u"match") {
      magic = xml.attributes().value("value").toString();
      offset = xml.attributes().value("offset").toString();
    }
  }
  EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
  EXPECT_EQ(magic.toStdString(), std::string(header::kCompanyText));
  EXPECT_EQ(offset, "0");
  // The desktop entry and the AppStream metadata name the same type.
  EXPECT_TRUE(Source("tavlex.desktop").contains("\nMimeType=" + type + ";\n"))
      << type.toStdString();
  EXPECT_TRUE(Source("org.example.tavlex.metainfo.xml").contains("<mediatype>" + type + "<"));
}

TEST(PackagedFiles, DesktopEntryIsTheOneTheProgramNames) {
  // The window announces its menu entry by name (a Wayland desktop takes icon and title from it).
  const QString entry = Source(QGuiApplication::desktopFileName() + ".desktop");
  ASSERT_FALSE(entry.isEmpty()) << QGuiApplication::desktopFileName().toStdString();
  EXPECT_TRUE(entry.contains("\nExec=tavlex %f\n"));
  const QString icon = entry.section("\nIcon=", 1).section('\n', 0, 0);
  EXPECT_FALSE(Source(icon + ".svg").isEmpty()) << icon.toStdString();
}

}  // namespace
}  // namespace tavlex
