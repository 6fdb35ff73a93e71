#include <gtest/gtest.h>

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include "SettingsTestSupport.h"
#include "config/ProfileReader.h"
#include "config/ProfileWriter.h"
#include "config/Profiles.h"

namespace {

TIPAddr V4(const char* text) {
  uint32_t value = 0;
  EXPECT_TRUE(StrToIPv4(text, value)) << text;
  return TIPAddr::Create(value);
}

TIPAddr V6(const char* text) {
  TIn6_addr value;
  EXPECT_TRUE(StrToIPv6(text, value)) << text;
  return TIPAddr::Create(value);
}

TFilterSettings SampleFilter() {
  TFilterSettings f;
  f.Enabled = true;
  f.Protocol = fpIPv6UDP;
  f.VlanId = 12;
  f.Source.AddrType = akIPRange;
  f.Source.Addr1 = V6("2001:db8::1");
  f.Source.Addr2 = V6("2001:db8::ff");
  f.Source.PortType = ptList;
  f.Source.Ports = {53, 5353, 65535};
  f.Destination.AddrType = akMac;
  StrToHWAddr("00-1A-2B-3C-4D-5E", f.Destination.Mac);
  f.Destination.GroupId = 1;
  f.Groups.Add("office", {V4("10.0.0.1"), V6("fe80::1:2")});
  f.Groups.Add("empty");
  return f;
}

// A profile read into a model that starts from the window's defaults.
class ProfileRead : public testing::Test {
 protected:
  void SetUp() override {
    Model.SetDefaults(0);
    Adapters.Texts = {"lab0 (traffic)", "lab1"};
    Adapters.DefaultIndex = 1;
  }

  bool Read(const QByteArray& bytes) {
    return ReadProfileDocument(bytes, Model, Adapters, Filter, Lock);
  }
  std::string ReadError(const QByteArray& bytes) {
    try {
      Read(bytes);
    } catch (const std::exception& error) {
      return error.what();
    }
    return "(no error)";
  }

  TSettingsModel Model;
  TAdapterChoices Adapters;
  TFilterSettings Filter;
  std::recursive_mutex Lock;
};

TEST_F(ProfileRead, RoundTripKeepsEveryControlTheRulesAndTheGroups) {
  TSettingsModel written;
  written.SetDefaults(1);
  written.Rates.Add(TShapingRate("dual", "30000:60000"));
  written.Rates.Add(TShapingRate("half", "Unlimited:64000"));
  written.RefreshRateList();
  written.RateIndex = written.Rates.IndexOfName("dual");
  written.Direction = 0;
  written.LatencyEnabled = true;
  written.DelayType = 1;
  written.DelayFrom = 20;
  written.DelayTo = 300;
  written.LatencyPercent = 40;
  written.Correlation = 25;
  written.LossEnabled = true;
  written.LossPosition = 123;
  written.LossType = 1;
  written.LossLo = 3;
  written.LossHi = 9;
  written.DuplicationEnabled = true;
  written.DuplicationPosition = 7;
  written.ReorderingEnabled = true;
  written.ReorderingPosition = 99;
  written.ReorderingGap = 4;
  written.CorruptionEnabled = true;
  written.CorruptionChoice = kCorruptBitRatio;
  written.BitErrorText = "10e-7";
  written.BitErrorUnit = 1;
  written.CaptureEnabled = true;
  written.CaptureBefore = "/tmp/before <&> file.pcap";
  written.CaptureAfter = "/tmp/after.pcap";
  written.CaptureMode = 2;
  written.BlockingEnabled = true;
  written.PortList = "135-139, u161, t445";
  const TFilterSettings filter = SampleFilter();

  const QByteArray bytes = WriteProfileDocument(written, filter);
  ASSERT_TRUE(Read(bytes));

  ASSERT_EQ(Model.Rates.Count(), written.Rates.Count());
  for (size_t i = 0; i < Model.Rates.Count(); ++i) {
    EXPECT_EQ(Model.Rates[i].Name, written.Rates[i].Name);
    EXPECT_EQ(Model.Rates[i].StorageText(), written.Rates[i].StorageText());
  }
  EXPECT_EQ(Model.Rates[static_cast<size_t>(Model.RateIndex)].Name, "dual");
  EXPECT_EQ(Model.CardIndex, 1);
  // Writing the model that was read gives the same document.
  EXPECT_EQ(WriteProfileDocument(Model, Filter), bytes);
  EXPECT_EQ(Filter, filter);
}

TEST_F(ProfileRead, BuiltInTableWritesTwelveItemsAndReadsBackThirteen) {
  const QByteArray bytes = WriteProfileDocument(Model, Filter);
  EXPECT_EQ(bytes.count("<rate>"), 12);
  EXPECT_FALSE(bytes.contains("<name>Unlimited</name>"));
  ASSERT_TRUE(Read(bytes));
  ASSERT_EQ(Model.Rates.Count(), 13u);
  EXPECT_EQ(Model.Rates[0].Name, "Unlimited");
}

// The profile leaves the unlimited entry out and the reader adds it back at
// the end before sorting; the saved position must still name the entry
// that was chosen, whichever it was, also among entries with equal sums
// and another entry without a limit.
TEST_F(ProfileRead, EveryChosenRateSurvivesTheRoundTrip) {
  TSettingsModel written;
  written.SetDefaults(0);
  written.Rates.Add(TShapingRate("none", "Unlimited"));
  written.Rates.Add(TShapingRate("asymmetric", "1200:2400"));
  written.Rates.Add(TShapingRate("mirrored", "2400:1200"));
  for (int i = 0; i < 8; ++i) written.Rates.Add(TShapingRate("isdn " + std::to_string(i), "64000"));
  written.RefreshRateList();
  for (size_t chosen = 0; chosen < written.Rates.Count(); ++chosen) {
    written.RateIndex = static_cast<int>(chosen);
    ASSERT_TRUE(Read(WriteProfileDocument(written, Filter)));
    ASSERT_GE(Model.RateIndex, 0);
    EXPECT_EQ(Model.Rates[static_cast<size_t>(Model.RateIndex)].Name, written.Rates[chosen].Name);
  }
}

TEST_F(ProfileRead, WrongRootChangesNothing) {
  Model.LatencyEnabled = true;
  EXPECT_EQ(ReadError("<profile><latency/></profile>"), "Incorrect profile supplied");
  EXPECT_TRUE(Model.LatencyEnabled);
  EXPECT_NE(ReadError("<simulator-profile><latency>"), "(no error)");
  EXPECT_TRUE(Model.LatencyEnabled);
}

TEST_F(ProfileRead, EmptyInputReadsNothing) { EXPECT_FALSE(Read(QByteArray())); }

TEST_F(ProfileRead, EmptySectionSetsItsDefaultsAndLeavesTheOthers) {
  Model.LatencyEnabled = true;
  Model.DelayType = 1;
  Model.LossEnabled = true;
  ASSERT_TRUE(Read("<simulator-profile><latency/></simulator-profile>"));
  EXPECT_FALSE(Model.LatencyEnabled);
  EXPECT_EQ(Model.DelayType, 0);
  EXPECT_EQ(Model.DelayFrom, 0);
  EXPECT_EQ(Model.DelayTo, 0);
  EXPECT_EQ(Model.LatencyPercent, 1);
  EXPECT_EQ(Model.Correlation, 0);
  EXPECT_TRUE(Model.LossEnabled);
}

TEST_F(ProfileRead, RateWithoutValueFailsAndKeepsTheOldTable) {
  const size_t before = Model.Rates.Count();
  const int selected = Model.RateIndex;
  EXPECT_EQ(ReadError("<simulator-profile><general><rates><item><rate>64000</rate></item><item><name>x</name>"
                      "</item></rates></general></simulator-profile>"),
            "Invalid rate value: 0. Must be between 1200 and 1000000000.");
  EXPECT_EQ(Model.Rates.Count(), before);
  EXPECT_EQ(Model.RateIndex, selected);
}

TEST_F(ProfileRead, BooleansInAnyCaseOrAsNumbers) {
  const std::pair<const char*, bool> cases[] = {{"True", true}, {"FALSE", false}, {"1", true}, {"0", false}, {"7", true}};
  for (const auto& [text, value] : cases) {
    Model.LossEnabled = !value;
    ASSERT_TRUE(Read(QByteArray("<simulator-profile><loss><enabled>") + text + "</enabled></loss></simulator-profile>"));
    EXPECT_EQ(Model.LossEnabled, value) << text;
  }
  EXPECT_EQ(ReadError("<simulator-profile><loss><enabled>yes</enabled></loss></simulator-profile>"),
            "'yes' is not a valid boolean value");
  EXPECT_EQ(ReadError("<simulator-profile><loss><impact>1O</impact></loss></simulator-profile>"),
            "'1O' is not a valid integer value");
}

TEST_F(ProfileRead, CardIndexByPositionOrByText) {
  const std::pair<const char*, int> cases[] = {
      {"<cardindex>0</cardindex>", 0}, {"<cardindex>lab1</cardindex>", 1}, {"<cardindex>lab9</cardindex>", -1},
      {"<cardindex>5</cardindex>", -1}, {"", 1}};
  for (const auto& [element, position] : cases) {
    ASSERT_TRUE(Read(QByteArray("<simulator-profile><general>") + element + "</general></simulator-profile>"));
    EXPECT_EQ(Model.CardIndex, position) << element;
  }
}

TEST_F(ProfileRead, FilterEdgeCases) {
  Filter = SampleFilter();
  // Without "filter" only the groups are replaced.
  ASSERT_TRUE(Read("<simulator-profile><groups><group name=\"g\"><item>1.2.x</item><item>abc</item>"
                   "<item>::1</item></group></groups></simulator-profile>"));
  ASSERT_EQ(Filter.Groups.Count(), 1);
  ASSERT_EQ(Filter.Groups.GroupAddresses(0).Count(), 2);
  EXPECT_EQ(IPAddrToStr(Filter.Groups.GroupAddresses(0)[0]), "255.255.255.255");
  EXPECT_EQ(IPAddrToStr(Filter.Groups.GroupAddresses(0)[1]), "::1");
  EXPECT_TRUE(Filter.Enabled);
  EXPECT_EQ(Filter.Source, SampleFilter().Source);

  // A missing "groups" empties the list; missing endpoint values take defaults.
  ASSERT_TRUE(Read("<simulator-profile><filter><enabled>true</enabled><source><port/></source>"
                   "<destination><address><address-1>0</address-1></address><port><items><item>x</item>"
                   "<item>65537</item></items></port></destination></filter></simulator-profile>"));
  EXPECT_EQ(Filter.Groups.Count(), 0);
  EXPECT_EQ(Filter.Protocol, fpAny);
  EXPECT_EQ(Filter.Source.AddrType, akAnyIP);
  EXPECT_EQ(Filter.Source.GroupId, -1);
  EXPECT_TRUE(Filter.Source.Ports.empty());
  EXPECT_EQ(IPAddrToStr(Filter.Destination.Addr1), "0.0.0.0");
  EXPECT_EQ(Filter.Destination.Ports, (std::vector<uint16_t>{0, 1}));

  EXPECT_NE(ReadError("<simulator-profile><filter><source><address><address-1>abc</address-1></address><port/>"
                      "</source><destination><port/></destination></filter></simulator-profile>"),
            "(no error)");
  EXPECT_EQ(ReadError("<simulator-profile><filter><source><port/></source></filter></simulator-profile>"),
            "The \"filter\" element has no \"destination\" element");
  EXPECT_EQ(ReadError("<simulator-profile><filter><source/><destination><port/></destination></filter>"
                      "</simulator-profile>"),
            "The \"source\" element has no \"port\" element");
}

// Blanks and line breaks around an address, as a hand-indented file has
// them, are trimmed as they are around numbers and booleans.
TEST_F(ProfileRead, AddressTextsAreTrimmed) {
  ASSERT_TRUE(Read("<simulator-profile><groups><group name=\"g\"><item> 10.0.0.3\t</item><item>\n  fe80::7\n</item>"
                   "</group></groups><filter><source><address><address-1> 10.0.0.2 </address-1>"
                   "<address-2>\n    2001:db8::5\n  </address-2><mac> 001A2B3C4D5E\n</mac></address><port/></source>"
                   "<destination><address><address-1> 7 </address-1></address><port/></destination></filter>"
                   "</simulator-profile>"));
  EXPECT_EQ(IPAddrToStr(Filter.Source.Addr1), "10.0.0.2");
  EXPECT_EQ(IPAddrToStr(Filter.Source.Addr2), "2001:db8::5");
  EXPECT_EQ(HWAddrToStr(Filter.Source.Mac), "001A2B3C4D5E");
  EXPECT_EQ(Filter.Destination.Addr1, TIPAddr::Create(7u));
  ASSERT_EQ(Filter.Groups.Count(), 1);
  ASSERT_EQ(Filter.Groups.GroupAddresses(0).Count(), 2);
  EXPECT_EQ(IPAddrToStr(Filter.Groups.GroupAddresses(0)[0]), "10.0.0.3");
  EXPECT_EQ(IPAddrToStr(Filter.Groups.GroupAddresses(0)[1]), "fe80::7");
}

TEST_F(ProfileRead, AnyProtocolStillWritesBothEndpointsWhole) {
  const QByteArray bytes = WriteProfileDocument(Model, TFilterSettings());
  for (const char* element : {"<source>", "<destination>", "<address-1>0.0.0.0</address-1>", "<mac>000000000000</mac>",
                              "<groupid>-1</groupid>", "<items/>", "<groups/>"}) {
    EXPECT_TRUE(bytes.contains(element)) << element;
  }
  EXPECT_EQ(bytes.count("<address-2>0.0.0.0</address-2>"), 2);
}

// Documents built to exhaust a parser: each must be refused quickly, before
// a document tree is built from it.
TEST_F(ProfileRead, HostileDocumentsAreRefused) {
  QByteArray billionLaughs =
      "<?xml version=\"1.0\"?><!DOCTYPE simulator-profile [<!ENTITY a \"aaaaaaaaaa\">";
  for (int i = 1; i < 10; ++i) {
    const QByteArray name = "a" + QByteArray::number(i);
    const QByteArray prev = i == 1 ? "a" : "a" + QByteArray::number(i - 1);
    billionLaughs += "<!ENTITY " + name + " \"" + ("&" + prev + ";").repeated(10) + "\">";
  }
  billionLaughs += "]><simulator-profile><capture><before>&a9;</before></capture></simulator-profile>";

  const QByteArray deep = QByteArray("<simulator-profile>") + QByteArray("<a>").repeated(100000) +
                          QByteArray("</a>").repeated(100000) + "</simulator-profile>";
  const QByteArray huge = "<simulator-profile><blocking><portlist>" + QByteArray(5 * 1024 * 1024, '1') +
                          "</portlist></blocking></simulator-profile>";
  const QByteArray external = "<!DOCTYPE simulator-profile SYSTEM \"/dev/zero\"><simulator-profile/>";
  const QByteArray undeclared = "<simulator-profile><capture><before>&x;</before></capture></simulator-profile>";

  for (const QByteArray* document : std::initializer_list<const QByteArray*>{&billionLaughs, &deep, &huge, &external, &undeclared}) {
    EXPECT_NE(ReadError(*document), "(no error)");
    EXPECT_EQ(Model.CaptureBefore, "");
    EXPECT_EQ(Model.PortList, "");
  }
}

// Files and the last configuration, through SaveProfile and LoadProfile.
class ProfileFiles : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Dir.isValid());
    Store = std::make_unique<QSettings>(Dir.filePath("store.conf"), QSettings::IniFormat);
    Model.SetDefaults(0);
  }
  std::string Path(const char* name) { return Dir.filePath(name).toStdString(); }

  QTemporaryDir Dir;
  std::unique_ptr<QSettings> Store;
  TEngineRig Rig;
  TSettingsModel Model;
  TCollectedErrors Errors;
  TAdapterChoices Adapters{{"lab0"}, 0};
};

TEST_F(ProfileFiles, SavedFileAndLastConfigurationLoadBack) {
  Model.ReorderingEnabled = true;
  Rig.Engine.Settings.Filter = SampleFilter();
  SaveProfile(Path("p.xml"), Model, Rig.Engine, *Store, Errors);
  SaveProfile("", Model, Rig.Engine, *Store, Errors);
  ASSERT_TRUE(Errors.Messages.empty());

  QFile file(Dir.filePath("p.xml"));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), Store->value("Configuration").toByteArray());

  for (const std::string& name : {Path("p.xml"), std::string()}) {
    TSettingsModel loaded;
    loaded.SetDefaults(0);
    Rig.Engine.Settings.Filter = TFilterSettings();
    ASSERT_TRUE(LoadProfile(name, loaded, Rig.Engine, Adapters, *Store, Errors)) << name;
    EXPECT_TRUE(loaded.ReorderingEnabled);
    EXPECT_EQ(Rig.Engine.Settings.Filter, SampleFilter());
  }
}

TEST_F(ProfileFiles, FailuresAreShownWithTheirPrefix) {
  SaveProfile(Path("missing-dir/p.xml"), Model, Rig.Engine, *Store, Errors);
  EXPECT_FALSE(LoadProfile(Path("nothing.xml"), Model, Rig.Engine, Adapters, *Store, Errors));
  QFile bad(Dir.filePath("bad.xml"));
  ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
  bad.write("<other/>");
  bad.close();
  EXPECT_FALSE(LoadProfile(Path("bad.xml"), Model, Rig.Engine, Adapters, *Store, Errors));
  ASSERT_EQ(Errors.Messages.size(), 3u);
  EXPECT_EQ(Errors.Messages[0].rfind("Unable to save the profile: ", 0), 0u) << Errors.Messages[0];
  EXPECT_EQ(Errors.Messages[1].rfind("Unable to open the profile: ", 0), 0u) << Errors.Messages[1];
  EXPECT_EQ(Errors.Messages[2], "Unable to open the profile: Incorrect profile supplied");
}

// A rate entry that replays trace files keeps their paths as written; a
// trace that cannot be read refuses the profile, naming the file and line.
TEST_F(ProfileFiles, TraceRatesKeepTheirFilesAndBadTracesRefuseTheProfile) {
  QFile trace(Dir.filePath("lte.trace"));
  ASSERT_TRUE(trace.open(QIODevice::WriteOnly));
  trace.write("1\n1\n2\n4\n");
  trace.close();
  QFile bad(Dir.filePath("bad.trace"));
  ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
  bad.write("5\n3\n");
  bad.close();
  auto document = [&](const QString& in, const QString& out) {
    return "<simulator-profile><general><rates><item><name>LTE</name><rate>9000</rate><trace-in>" + in.toUtf8() +
           "</trace-in><trace-out>" + out.toUtf8() + "</trace-out></item></rates><rateindex>0</rateindex></general>"
                                                      "</simulator-profile>";
  };
  const QString tracePath = Dir.filePath("lte.trace");
  Store->setValue("Configuration", document(tracePath, tracePath));
  ASSERT_TRUE(LoadProfile("", Model, Rig.Engine, Adapters, *Store, Errors)) << Errors.Messages.front();
  const TShapingRate& lte = Model.Rates[static_cast<size_t>(Model.Rates.IndexOfName("LTE"))];
  ASSERT_TRUE(lte.HasTraces());
  EXPECT_EQ(lte.InTracePath, tracePath.toStdString());
  // Four opportunities in 4 ms: 12.032 Mbit/s.
  EXPECT_EQ(lte.InRate, 12032000);
  EXPECT_EQ(lte.DisplayText(), "Trace, average 12.0 Mbit/s");
  const QByteArray written = WriteProfileDocument(Model, TFilterSettings());
  EXPECT_TRUE(written.contains("<rate>12032000</rate>")) << written.toStdString();
  EXPECT_TRUE(written.contains("<trace-in>" + tracePath.toUtf8() + "</trace-in>")) << written.toStdString();

  const struct {
    QByteArray Document;
    std::string Message;
  } refused[] = {
      {document(Dir.filePath("missing.trace"), tracePath), "Unable to open the trace file"},
      {document(tracePath, Dir.filePath("bad.trace")), "line 2"},
      {document(tracePath, ""), "has a trace file for one direction only"},
  };
  for (const auto& c : refused) {
    Errors.Messages.clear();
    Store->setValue("Configuration", c.Document);
    EXPECT_FALSE(LoadProfile("", Model, Rig.Engine, Adapters, *Store, Errors));
    ASSERT_EQ(Errors.Messages.size(), 1u);
    EXPECT_EQ(Errors.Messages[0].rfind("Unable to open the profile: ", 0), 0u) << Errors.Messages[0];
    EXPECT_NE(Errors.Messages[0].find(c.Message), std::string::npos) << Errors.Messages[0];
  }
}

// One side of a rule: its address kind, and its port kind with the items.
QByteArray Side(const char* tag, int addressType, int portType, const QByteArray& items = "") {
  return QByteArray("<") + tag + "><address><type>" + QByteArray::number(addressType) + "</type></address><port><type>" +
         QByteArray::number(portType) + "</type><items>" + items + "</items></port></" + tag + ">";
}

QByteArray Rule(int protocol, const QByteArray& source, const QByteArray& destination) {
  return "<filter><enabled>true</enabled><protocol>" + QByteArray::number(protocol) + "</protocol>" + source +
         destination + "</filter>";
}

const QByteArray kAnySource = Side("source", akAnyIP, ptAny);
const QByteArray kAnyDestination = Side("destination", akAnyIP, ptAny);

// Profiles that fail part-way or hold what cannot be used: each is refused
// with one message, and neither the window's settings nor the engine's live
// rule and groups change. The sections that read well come first, so a
// reader that writes as it goes would leave them behind.
TEST_F(ProfileFiles, BadProfilesAreRefusedWholeAndChangeNothing) {
  const QByteArray readable =
      "<general><rates><item><name>fast</name><rate>5000000</rate></item></rates><rateindex>1</rateindex>"
      "<direction>0</direction></general><latency><enabled>true</enabled><delayfrom>7</delayfrom></latency>"
      "<groups><group name=\"other\"><item>10.9.9.9</item></group></groups>";
  const struct {
    const char* What;
    QByteArray Sections;
    std::string Message;  // behind "Unable to open the profile: "; {} is the profile's name
    bool LastConfiguration = false;
  } cases[] = {
      {"an address that is not a number", readable + "<filter><source><address><address-1>abc</address-1></address>"
                                                     "<port/></source><destination><port/></destination></filter>",
       "'abc' is not a valid integer value"},
      {"a corruption type outside its list", readable + "<corruption><type>3</type></corruption>",
       "Wrong corruption type (GUIMain, line "},
      {"a rate entry under the reserved name",
       "<general><rates><item><name>Unlimited</name><rate>64000</rate></item></rates></general>",
       "{}: a transfer rate is named \"Unlimited\", the name of the entry without a limit"},
      {"a single port without its port", readable + Rule(fpIPv4TCP, Side("source", akAnyIP, ptSingle), kAnyDestination),
       "{}: the filter's source port type \"Single port\" needs 1 port but has 0"},
      {"a range with one port", readable + Rule(fpIPv4UDP, kAnySource, Side("destination", akAnyIP, ptRange,
                                                                              "<item>80</item>")),
       "{}: the filter's destination port type \"Port range\" needs 2 ports but has 1"},
      {"a range with three ports",
       Rule(fpAny, Side("source", akAnyIP, ptRange, "<item>1</item><item>2</item><item>3</item>"), kAnyDestination),
       "{}: the filter's source port type \"Port range\" needs 2 ports but has 3"},
      {"the last configuration with a single port without its port",
       Rule(fpIPv6TCP, kAnySource, Side("destination", akAnyIP, ptSingle)),
       "the last configuration: the filter's destination port type \"Single port\" needs 1 port but has 0", true},
      {"protocol 20", readable + Rule(20, kAnySource, kAnyDestination),
       "{}: the filter's protocol 20 is outside its list (0 to 16)"},
      {"protocol 257, which a byte would read as 1", Rule(257, kAnySource, kAnyDestination),
       "{}: the filter's protocol 257 is outside its list (0 to 16)"},
      {"address type 9", Rule(fpAnyIPv4, Side("source", 9, ptAny), kAnyDestination),
       "{}: the filter's source address type 9 is outside its list (0 to 5)"},
      {"address type -1", Rule(fpAnyIPv4, kAnySource, Side("destination", -1, ptAny)),
       "{}: the filter's destination address type -1 is outside its list (0 to 5)"},
      {"port type 7", readable + Rule(fpIPv4TCP, kAnySource, Side("destination", akAnyIP, 7)),
       "{}: the filter's destination port type 7 is outside its list (0 to 3)"},
  };

  Model.Rates.Add(TShapingRate("mine", "30000:60000"));
  Model.RefreshRateList();
  Model.RateIndex = Model.Rates.IndexOfName("mine");
  Model.LossEnabled = true;
  Rig.Engine.Settings.Filter = SampleFilter();
  const QByteArray before = WriteProfileDocument(Model, Rig.Engine.Settings.Filter);

  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    const QByteArray document = "<simulator-profile>" + c.Sections + "</simulator-profile>";
    std::string name;
    std::string expected = "Unable to open the profile: " + c.Message;
    if (c.LastConfiguration) {
      Store->setValue("Configuration", document);
    } else {
      name = Path("bad.xml");
      QFile file(QString::fromStdString(name));
      ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
      file.write(document);
    }
    if (const size_t at = expected.find("{}"); at != std::string::npos) expected.replace(at, 2, "\"" + name + "\"");
    Errors.Messages.clear();

    EXPECT_FALSE(LoadProfile(name, Model, Rig.Engine, Adapters, *Store, Errors));
    ASSERT_EQ(Errors.Messages.size(), 1u);
    EXPECT_EQ(Errors.Messages[0].substr(0, expected.size()), expected) << Errors.Messages[0];
    EXPECT_EQ(WriteProfileDocument(Model, Rig.Engine.Settings.Filter).toStdString(), before.toStdString());
  }
}

// Kinds and port counts that the matcher can use are read as they stand; a
// capture write mode past its list is clamped to the last choice, as the
// other choice controls are.
TEST_F(ProfileFiles, UsableRulesAndClampedChoicesLoad) {
  const QByteArray document =
      "<simulator-profile><capture><writemode>5</writemode></capture>" +
      Rule(fpIPv4TCPUDP, Side("source", akGroup, ptSingle, "<item>53</item>"),
           Side("destination", akLocalHost, ptList)) +
      "</simulator-profile>";
  Store->setValue("Configuration", document);
  ASSERT_TRUE(LoadProfile("", Model, Rig.Engine, Adapters, *Store, Errors));
  EXPECT_TRUE(Errors.Messages.empty());
  EXPECT_EQ(Model.CaptureMode, 2);
  const TFilterSettings& rule = Rig.Engine.Settings.Filter;
  EXPECT_EQ(rule.Protocol, fpIPv4TCPUDP);
  EXPECT_EQ(rule.Source.AddrType, akGroup);
  EXPECT_EQ(rule.Source.Ports, std::vector<uint16_t>{53});
  EXPECT_EQ(rule.Destination.PortType, ptList);
  EXPECT_TRUE(rule.Destination.Ports.empty());
}

TEST_F(ProfileFiles, EmptyFileOrNoLastConfigurationIsSilent) {
  QFile empty(Dir.filePath("empty.xml"));
  ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
  empty.close();
  EXPECT_FALSE(LoadProfile(Path("empty.xml"), Model, Rig.Engine, Adapters, *Store, Errors));
  EXPECT_FALSE(LoadProfile("", Model, Rig.Engine, Adapters, *Store, Errors));
  EXPECT_TRUE(Errors.Messages.empty());
}

TEST_F(ProfileFiles, ByteOrderMarkIsAccepted) {
  QFile file(Dir.filePath("bom.xml"));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<simulator-profile>\n  <loss>\n"
             "    <enabled>true</enabled>\n  </loss>\n</simulator-profile>\n");
  file.close();
  EXPECT_TRUE(LoadProfile(Path("bom.xml"), Model, Rig.Engine, Adapters, *Store, Errors));
  EXPECT_TRUE(Model.LossEnabled);
}

}  // namespace
