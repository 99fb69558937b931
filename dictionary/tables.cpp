// The record files as data: layouts, keys, memos and relations.
#include <array>
#include <stdexcept>

#include "dictionary/dictionary.h"
#include "runtime/values/fsutil.h"

namespace qm {

namespace {

struct FieldSpec {
  const char* label;  // "#" stands for the number of a repeated field
  FieldType type;
  int size;
  int repeat = 1;
};

const FieldSpec kDomains[] = {
    {"DOM:DOMAINNAME", FieldType::Text, 50},
    {"DOM:DATESTARTED", FieldType::Date, 4},
    {"DOM:RENEWALDATE", FieldType::Date, 4},
    {"DOM:REGISTRAR", FieldType::Text, 40},
    {"DOM:REGLOGIN", FieldType::Text, 20},
    {"DOM:REGLOGINPWD", FieldType::Text, 20},
    {"DOM:FEEPAID", FieldType::Decimal42, 4},
    {"DOM:FEEDURATION", FieldType::Text, 60},
    {"DOM:REGEXPIRATIONDATE", FieldType::Date, 4},
    {"DOM:OWNERNAME", FieldType::Text, 40},
    {"DOM:CONTACTPERSON", FieldType::Text, 20},
    {"DOM:CONTACTPWD", FieldType::Text, 20},
    {"DOM:CONTACTEMAIL", FieldType::Text, 30},
    {"DOM:TECHPERSON", FieldType::Text, 20},
    {"DOM:TECHPWD", FieldType::Text, 20},
    {"DOM:HOST", FieldType::Text, 40},
    {"DOM:HOSTDATE", FieldType::Date, 4},
    {"DOM:HOSTADMINLOGINNAME", FieldType::Text, 20},
    {"DOM:ADMINPWD", FieldType::Text, 20},
    {"DOM:IPPRIMARYADDRESS", FieldType::Text, 20},
    {"DOM:IPSECONDARYADDRESS", FieldType::Text, 20},
    // The directory the page paths derive from and the reader starts in: whole.
    {"DOM:DEFAULTLOCALDIR", FieldType::Text, kPathWidth},
    {"DOM:DEFAULTWEBPATH", FieldType::Text, 80},
    {"DOM:EMAILACCT0", FieldType::Text, 30},
    {"DOM:EMAILACCT1", FieldType::Text, 30},
    {"DOM:EMAILACCT2", FieldType::Text, 30},
    {"DOM:EMAILACCT3", FieldType::Text, 30},
    {"DOM:EMAILACCT4", FieldType::Text, 30},
    {"DOM:FORWARD0", FieldType::Text, 30},
    {"DOM:FORWARD1", FieldType::Text, 30},
    {"DOM:FORWARD2", FieldType::Text, 30},
    {"DOM:FORWARD3", FieldType::Text, 30},
    {"DOM:FORWARD4", FieldType::Text, 30},
    {"DOM:HOSTMOCOST", FieldType::Decimal42, 4},
    {"DOM:HOSTPLANNAME", FieldType::Text, 60},
    {"DOM:ECOMMOCOST", FieldType::Decimal42, 4},
    {"DOM:ECOMCOSTDESC", FieldType::Text, 60},
    {"DOM:ADVERTISINGMOCOST", FieldType::Decimal42, 4},
    {"DOM:ADVMOCOSTDESC", FieldType::Text, 60},
    {"DOM:ADDLMOCOST", FieldType::Decimal42, 4},
    {"DOM:ADDMOCOSTDESC", FieldType::Text, 60},
    {"DOM:BANKCHGSMOCOST", FieldType::Decimal42, 4},
    {"DOM:BANKCHGDESC", FieldType::Text, 60},
    {"DOM:SERVICEMOCOST", FieldType::Decimal42, 4},
    {"DOM:SERVMOCOSTDESC", FieldType::Text, 60},
    {"DOM:INITPROGRAMCOST", FieldType::Decimal42, 4},
    {"DOM:INITPROGCOSTDESC", FieldType::Text, 60},
    {"DOM:PROGRAMMOCOST", FieldType::Decimal42, 4},
    {"DOM:PROGRAMMODESC", FieldType::Text, 60},
    {"DOM:MISCSETUPCOSTS", FieldType::Decimal42, 4},
    {"DOM:MISCSETUPDESC", FieldType::Text, 60},
    {"DOM:INITIALDESIGNCOST", FieldType::Decimal42, 4},
    {"DOM:INITDESIGNDESC", FieldType::Text, 60},
    {"DOM:DESIGNMOCOST", FieldType::Decimal42, 4},
    {"DOM:DESMOCOSTDESC", FieldType::Text, 60},
    {"DOM:RECID", FieldType::Text, 20},
    {"DOM:MONTHLYTOTAL", FieldType::Decimal42, 4},
    {"DOM:NONMONTHTOTAL", FieldType::Decimal42, 4},
};
const FieldSpec kWebPages[] = {
    {"WEB:DOMAINNAME", FieldType::Text, 50},
    {"WEB:PAGENAME", FieldType::Text, 20},
    {"WEB:USENOW", FieldType::Text, 1},
    // Paths are kept whole: cut short, two pages would share one record and
    // the stored path would name no file.
    {"WEB:PAGEPATH", FieldType::Text, kPathWidth},
    {"WEB:LOCALPATH", FieldType::Text, kPathWidth},
    {"WEB:LOCALDEFAULTDIRECTORY", FieldType::Text, kPathWidth},
    {"WEB:AUTHOR", FieldType::Text, 30},
    {"WEB:PURPOSE", FieldType::Text, 40},
    {"WEB:IMPLEMENTDATE", FieldType::Date, 4},
    {"WEB:FILEDATETIME", FieldType::Text, 20},
    {"WEB:FILESIZE", FieldType::Int4, 4},
    {"WEB:LINKTO1", FieldType::Text, 80},
    {"WEB:LINKTO2", FieldType::Text, 30},
    {"WEB:LINKTO3", FieldType::Text, 80},
    {"WEB:LINKTO4", FieldType::Text, 80},
    {"WEB:LINKTO5", FieldType::Text, 80},
    {"WEB:HTMLPAGETITLE", FieldType::Text, 80},
    {"WEB:PAGEREADDATE", FieldType::Text, 20},
    {"WEB:DATA1", FieldType::Text, 1},
    {"WEB:DATA2", FieldType::Text, 1},
    {"WEB:DATA3", FieldType::Text, 1},
    {"WEB:DATA4", FieldType::Text, 1},
    {"WEB:DATA5", FieldType::Text, 1},
};
const FieldSpec kWPMeta[] = {
    {"WPM:WEBPAGEPATH", FieldType::Text, kPathWidth},
    {"WPM:DOMAINNAME", FieldType::Text, 50},
    {"WPM:PAGENAME", FieldType::Text, 20},
    {"WPM:LOCALPATH", FieldType::Text, kPathWidth},
    {"WPM:METACONTENTS", FieldType::Text, 200},
    {"WPM:METANAME", FieldType::Text, 20},
};
const FieldSpec kWPLinks[] = {
    {"WPL:DOMAINNAME", FieldType::Text, 50},
    {"WPL:PAGENAME", FieldType::Text, 20},
    {"WPL:WEBPAGEPATHNAME", FieldType::Text, kPathWidth},
    {"WPL:WEBPAGELINK", FieldType::Text, 200},
    {"WPL:LINENUMBER", FieldType::Real, 8},
    {"WPL:RECORDDATE", FieldType::Date, 4},
};
const FieldSpec kWPIMG[] = {
    {"WPI:WEBPAGEPATHNAME", FieldType::Text, kPathWidth},
    {"WPI:DOMAINNAME", FieldType::Text, 50},
    {"WPI:PAGE", FieldType::Text, 20},
    {"WPI:WEBPAGEIMG", FieldType::Text, 200},
    {"WPI:LINENUMBER", FieldType::Int2, 2},
    {"WPI:DATEENTERED", FieldType::Date, 4},
    {"WPI:HEIGHT", FieldType::Text, 20},
    {"WPI:WIDTH", FieldType::Text, 20},
    {"WPI:IMAGEPATH", FieldType::Text, kPathWidth},
    {"WPI:CURRENTLYUSE", FieldType::Text, 1},
};
const FieldSpec kWPForm[] = {
    {"WPF:WEBPAGEPATHNAME", FieldType::Text, kPathWidth},
    {"WPF:DOMAINNAME", FieldType::Text, 50},
    {"WPF:PAGE", FieldType::Text, 20},
    {"WPF:RECORDDATE", FieldType::Date, 4},
    {"WPF:LINENUMBER", FieldType::Int2, 2},
    {"WPF:FORMLINE#", FieldType::Text, 200, 40},
};
const FieldSpec kWPScripts[] = {
    {"WPS:WEBPAGEPATHNAME", FieldType::Text, kPathWidth},
    {"WPS:DOMAINNAME", FieldType::Text, 50},
    {"WPS:PAGENAME", FieldType::Text, 20},
    {"WPS:RECORDDATE", FieldType::Date, 4},
    {"WPS:SCRIPTLINE#", FieldType::Text, 200, 40},
};
const FieldSpec kHosts[] = {
    {"HOS:HOSTNAME", FieldType::Text, 50},
    {"HOS:CONTACTNAME", FieldType::Text, 30},
    {"HOS:PHONENUMBER", FieldType::Text, 20},
    {"HOS:FAXNUMBER", FieldType::Text, 20},
    {"HOS:SUPPORTEMAIL", FieldType::Text, 40},
    {"HOS:URL", FieldType::Text, 40},
    {"HOS:STREETADDRESS", FieldType::Text, 40},
    {"HOS:HOSCITY", FieldType::Text, 30},
    {"HOS:STATE", FieldType::Text, 2},
    {"HOS:ZIPCODE", FieldType::Text, 10},
    {"HOS:POP3NUMBER", FieldType::Int2, 2},
    {"HOS:SMTP", FieldType::Text, 1},
    {"HOS:FEEMONTHLY", FieldType::Real, 8},
    {"HOS:FEESETUP", FieldType::Real, 8},
    {"HOS:INTERNETACCESS", FieldType::Text, 1},
    {"HOS:INTERNETACCESSUSE", FieldType::Text, 15},
    {"HOS:EMAILCONTROL", FieldType::Text, 10},
    {"HOS:FREETRANSFERDOMAINNAME", FieldType::Text, 1},
    {"HOS:FILEDOWNLOADS", FieldType::Text, 20},
    {"HOS:CGIPERLSCRIPTS", FieldType::Text, 1},
    {"HOS:LINUX", FieldType::Text, 1},
    {"HOS:WINDOWSNT", FieldType::Text, 1},
    {"HOS:OTHERUNIX", FieldType::Text, 1},
    {"HOS:WINDOWS2000", FieldType::Text, 1},
    {"HOS:ECOMAVAIL", FieldType::Text, 1},
    {"HOS:ECOMCOST", FieldType::Real, 8},
    {"HOS:LOCALACCESSNUMBERS", FieldType::Text, 1},
    {"HOS:NATIONALACCESSNUMBERS", FieldType::Text, 1},
    {"HOS:TOTALMONTHLYCOST", FieldType::Real, 8},
    {"HOS:VOICESUPPORT", FieldType::Text, 1},
    {"HOS:VOICESUPPORTPHONE", FieldType::Text, 20},
    {"HOS:DISKSPACE", FieldType::Text, 20},
    {"HOS:ANNUALPREPAYMENT", FieldType::Real, 8},
    {"HOS:FRONTPAGEEXT", FieldType::Text, 1},
    {"HOS:ADOBEGOLIVE", FieldType::Text, 1},
    {"HOS:ACTIVESERVERPAGESASP", FieldType::Text, 1},
    {"HOS:MINIMUMCONTRACT", FieldType::Text, 10},
    {"HOS:EMAILFORWARDING", FieldType::Text, 1},
    {"HOS:WEBBASEDEMAIL", FieldType::Text, 1},
    {"HOS:DATATRANSFERPERMONTH", FieldType::Text, 10},
    {"HOS:SECURESERVERACCESS", FieldType::Text, 1},
    {"HOS:WEBSITEPASSWORDS", FieldType::Text, 1},
    {"HOS:DAILYBACKUP", FieldType::Text, 1},
    {"HOS:CONTROLPANEL", FieldType::Text, 1},
    {"HOS:TRAFFICESTATS", FieldType::Text, 1},
    {"HOS:PERSONALCGIDIRECTORY", FieldType::Text, 1},
    {"HOS:PERLCGICHECKER", FieldType::Text, 1},
    {"HOS:ACCESSCONTROL", FieldType::Text, 1},
    {"HOS:TELNETACCESS", FieldType::Text, 1},
    {"HOS:ONLINEDOCS", FieldType::Text, 1},
    {"HOS:SOFTWARESHAREWARE", FieldType::Text, 1},
    {"HOS:PAYMENTBY", FieldType::Text, 20},
    {"HOS:FREECGISCRIPTS", FieldType::Text, 1},
    {"HOS:CURRENTLYUSE", FieldType::Text, 1},
    {"HOS:RECID", FieldType::Text, 20},
};
const FieldSpec kRegistrars[] = {
    {"REG:COMPANYNAME", FieldType::Text, 40},
    {"REG:ADDRESS", FieldType::Text, 40},
    {"REG:CITY", FieldType::Text, 20},
    {"REG:STATE", FieldType::Text, 2},
    {"REG:ZIPCODE", FieldType::Text, 10},
    {"REG:URL", FieldType::Text, 50},
    {"REG:SUPPORTEMAIL", FieldType::Text, 50},
    {"REG:PHONE", FieldType::Text, 20},
    {"REG:FAX", FieldType::Text, 20},
    {"REG:REGULARFEE", FieldType::Real, 8},
    {"REG:RENEWALPERIOD", FieldType::Text, 20},
    {"REG:COUNTRY", FieldType::Text, 20},
    {"REG:CURRENTLYUSE", FieldType::Text, 1},
    {"REG:ACCREDITEDBYICANN", FieldType::Text, 1},
    {"REG:PENDINGACCREDITATION", FieldType::Text, 1},
    {"REG:RECID", FieldType::Text, 20},
};
const FieldSpec kDnotes[] = {
    {"DNO:TOPIC", FieldType::Text, 60},
    {"DNO:REMINDER", FieldType::Text, 1},
    {"DNO:DATE", FieldType::Date, 4},
};
const FieldSpec kIntlink[] = {
    {"INL:TYPE", FieldType::UInt1, 1},
    {"INL:DESCRIPTION", FieldType::Text, 40},
    {"INL:LINK", FieldType::Text, 255},
    {"INL:RECID", FieldType::Text, 20},
};
const FieldSpec kEditor[] = {
    {"EDI:MYEDITOR", FieldType::Text, 100},     {"EDI:MYFTP", FieldType::Text, 100},
    {"EDI:MYTEXTED", FieldType::Text, 100},     {"EDI:MYBROWSER", FieldType::Text, 100},
    {"EDI:MYGRAPHICSED", FieldType::Text, 100}, {"EDI:CMAIL", FieldType::Text, 100},
    {"EDI:MYUSER1", FieldType::Text, 100},      {"EDI:MYUSER2", FieldType::Text, 100},
    {"EDI:MYUSER1TITLE", FieldType::Text, 10},  {"EDI:MYUSER2TITLE", FieldType::Text, 10},
    {"EDI:MYUSER3", FieldType::Text, 100},      {"EDI:MYUSERTITLE3", FieldType::Text, 10},
    {"EDI:MYUSER4", FieldType::Text, 100},      {"EDI:MYUSERTITLE4", FieldType::Text, 10},
    {"EDI:CURRENTCONFIG", FieldType::Text, 1},
};
const FieldSpec kCon[] = {
    {"CON:DEFAULT", FieldType::Text, 20},
    {"CON:PATH", FieldType::Text, 128},
};
const FieldSpec kDos[] = {
    {"DOS:LINE", FieldType::Text, 255},
};
const FieldSpec kDos1[] = {
    {"DOS1:LINE", FieldType::Text, 255},
};

struct KeySpec {
  FileId file;
  const char* label;
  std::vector<const char*> components;
  bool unique;
  const char* description;
  int autoNumber;
};

const KeySpec kKeys[] = {
    {FileId::Domains, "DOM:NAME", {"DOM:DOMAINNAME"}, true, "DOM:name", 1},
    {FileId::Domains, "DOM:HOSTEDBY", {"DOM:HOST"}, false, "DOM:HostedBy", 0},
    {FileId::Con, "CON:NAMES", {"CON:DEFAULT"}, false, "Con:NAMES", 0},
    {FileId::dnotes, "DNO:PAGES", {"DNO:REMINDER", "DNO:TOPIC"}, false, "DNO:pages", 0},
    {FileId::WPMeta, "WPM:PAGEPATH", {"WPM:WEBPAGEPATH"}, false, "WPM:PagePath", 0},
    {FileId::WebPages,
     "WEB:NAMES",
     {"WEB:DOMAINNAME", "WEB:PAGENAME"},
     false,
     "domainnames, pagenames",
     2},
    {FileId::WebPages, "WEB:PATH", {"WEB:PAGEPATH"}, false, "WEB:Path", 0},
    {FileId::WebPages, "WEB:PAGES", {"WEB:PAGENAME"}, false, "WEB:Pages", 0},
    {FileId::Hosts, "HOS:NAME", {"HOS:HOSTNAME"}, true, "HOS:name", 1},
    {FileId::Registrars, "REG:NAME", {"REG:COMPANYNAME"}, true, "REG:name", 1},
    {FileId::Intlink, "INL:TYPEONLY", {"INL:TYPE"}, false, "INL:typeonly", 0},
    {FileId::Intlink, "INL:RECIDS", {"INL:RECID"}, false, "INL:recids", 1},
    {FileId::Intlink, "INL:DESCRIPTS", {"INL:DESCRIPTION"}, false, "INL:descripts", 0},
    {FileId::WPLinks, "WPL:PATHNAME", {"WPL:WEBPAGEPATHNAME"}, false, "WPL:PathName", 0},
    {FileId::WPScripts, "WPS:PAGENAM", {"WPS:WEBPAGEPATHNAME"}, false, "WPS:PageNam", 0},
    {FileId::WPForm, "WPF:PAGENAME", {"WPF:WEBPAGEPATHNAME"}, false, "WPF:PageName", 0},
    {FileId::WPIMG,
     "WPI:PAGENAME",
     {"WPI:WEBPAGEPATHNAME", "WPI:WEBPAGEIMG"},
     false,
     "WPI:PageName",
     0},
    {FileId::WPIMG, "WPI:IMAGES", {"WPI:WEBPAGEIMG"}, false, "WPI:images", 0},
};

struct MemoSpec {
  FileId file;
  const char* label;
  const char* exprName;
};

const MemoSpec kMemos[] = {
    {FileId::Domains, "DOM:NOTES", "DOM:Notes"},
    {FileId::WebPages, "WEB:NOTES", "WEB:Notes"},
    {FileId::Hosts, "HOS:NOTES", "HOS:Notes"},
    {FileId::Registrars, "REG:NOTES", "REG:Notes"},
    {FileId::dnotes, "DNO:MAINMEMO", "DNO:MainMemo"},
};
constexpr int kMemoSize = 1000;

struct FileSpec {
  FileId id;
  const char* label;
  const char* prefix;
  const char* diskName;  // line files: the default until a name source gives one
  FileKind kind;
  int recordSize;
  const FieldSpec* fields;
  std::size_t fieldCount;
  const char* password;
  bool create;
  bool endAtLineFeed;
};

// Fields that a selection at start-up asks for without a key of their own:
// the renewal date of the reminder check and list.
struct QueryIndexSpec {
  FileId file;
  const char* field;
};
const QueryIndexSpec kQueryIndexes[] = {
    {FileId::Domains, "DOM:RENEWALDATE"},
};

#define QM_FIELDS(a) a, std::size(a)
const FileSpec kFiles[] = {
    {FileId::Domains, "Domains", "DOM:", "DOMAINS", FileKind::Indexed, 2104, QM_FIELDS(kDomains),
     "", true, false},
    {FileId::Con, "Con", "CON:", "Control.qdf", FileKind::Indexed, 148, QM_FIELDS(kCon), "QZVRKM",
     false, false},
    {FileId::dnotes, "dnotes", "DNO:", "DNOTES", FileKind::Indexed, 65, QM_FIELDS(kDnotes), "",
     true, false},
    {FileId::WPMeta, "WPMeta", "WPM:", "WPMETA", FileKind::Indexed, 1314, QM_FIELDS(kWPMeta), "",
     true, false},
    {FileId::DOS1, "DOS1", "DOS1:", "", FileKind::Line, 255, QM_FIELDS(kDos1), "", true, false},
    {FileId::DOS, "DOS", "DOS:", "", FileKind::Line, 255, QM_FIELDS(kDos), "", false, true},
    {FileId::Editor, "Editor", "EDI:", "EDITOR", FileKind::Indexed, 1041, QM_FIELDS(kEditor), "",
     true, false},
    {FileId::WebPages, "WebPages", "WEB:", "WEBPAGES", FileKind::Indexed, 2160,
     QM_FIELDS(kWebPages), "", true, false},
    {FileId::Hosts, "Hosts", "HOS:", "HOSTS", FileKind::Indexed, 499, QM_FIELDS(kHosts), "", true,
     false},
    {FileId::Registrars, "Registrars", "REG:", "REGISTRA", FileKind::Indexed, 323,
     QM_FIELDS(kRegistrars), "", true, false},
    {FileId::Intlink, "Intlink", "INL:", "INTLINK", FileKind::Indexed, 316, QM_FIELDS(kIntlink), "",
     true, false},
    {FileId::WPLinks, "WPLinks", "WPL:", "WPLINKS", FileKind::Indexed, 794, QM_FIELDS(kWPLinks), "",
     true, false},
    {FileId::WPScripts, "WPScripts", "WPS:", "WPSCRIPT", FileKind::Indexed, 8586,
     QM_FIELDS(kWPScripts), "", true, false},
    {FileId::WPForm, "WPForm", "WPF:", "WPFORM", FileKind::Indexed, 8588, QM_FIELDS(kWPForm), "",
     true, false},
    {FileId::WPIMG, "WPIMG", "WPI:", "WPIMG", FileKind::Indexed, 1341, QM_FIELDS(kWPIMG), "", true,
     false},
};
#undef QM_FIELDS

// Packs the fields one after the other; the total must be the record size.
std::vector<FieldDef> layout(const FieldSpec* specs, std::size_t n, int recordSize,
                             const char* file) {
  std::vector<FieldDef> out;
  int offset = 0;
  for (std::size_t i = 0; i < n; ++i) {
    for (int r = 1; r <= specs[i].repeat; ++r) {
      std::string label = specs[i].label;
      if (auto hash = label.find('#'); hash != std::string::npos)
        label.replace(hash, 1, std::to_string(r));
      out.push_back({label, specs[i].type, offset, specs[i].size});
      offset += specs[i].size;
    }
  }
  if (offset != recordSize)
    throw std::logic_error(std::string("layout of ") + file + " does not add up");
  return out;
}

FileDef build(const FileSpec& s) {
  FileDef d;
  d.label = s.label;
  d.prefix = s.prefix;
  d.diskName = s.diskName;
  d.kind = s.kind;
  d.recordSize = s.recordSize;
  d.fields = layout(s.fields, s.fieldCount, s.recordSize, s.label);
  d.ownerPassword = s.password;
  d.createWhenMissing = s.create;
  d.endAtLineFeed = s.endAtLineFeed;
  for (const auto& k : kKeys) {
    if (k.file != s.id) continue;
    KeyDef key{k.label, {}, k.unique, k.description, k.autoNumber};
    for (const char* c : k.components) {
      int f = d.fieldIndex(c);
      if (f < 0) throw std::logic_error(std::string("key ") + k.label + " names no field " + c);
      key.components.push_back(f);
    }
    d.keys.push_back(std::move(key));
  }
  for (const auto& m : kMemos)
    if (m.file == s.id) d.memos.push_back({m.label, m.exprName, kMemoSize});
  for (const auto& q : kQueryIndexes) {
    if (q.file != s.id) continue;
    if (d.fieldIndex(q.field) < 0)
      throw std::logic_error(std::string("query index names no field ") + q.field);
    d.queryIndexes.push_back(q.field);
  }
  return d;
}

const std::array<FileDef, FileIdCount>& defs() {
  static const std::array<FileDef, FileIdCount> all = [] {
    std::array<FileDef, FileIdCount> a;
    for (const auto& s : kFiles) a[static_cast<std::size_t>(s.id)] = build(s);
    return a;
  }();
  return all;
}

}  // namespace

const FileDef& fileDef(FileId id) { return defs()[static_cast<std::size_t>(id)]; }

const FileDef& readerConDef() {
  static const FileDef con = [] {
    FileDef d = fileDef(FileId::Con);
    d.recordSize = 20;
    d.fields.resize(1);  // CON:DEFAULT only
    return d;
  }();
  return con;
}

const std::vector<FileId>& mainFiles() {
  static const std::vector<FileId> files = [] {
    std::vector<FileId> v;
    for (const auto& s : kFiles) v.push_back(s.id);
    return v;
  }();
  return files;
}

const std::vector<FileId>& readerFiles() {
  static const std::vector<FileId> files = {
      FileId::Domains,  FileId::Con,     FileId::WPMeta,    FileId::DOS1,   FileId::DOS,
      FileId::WebPages, FileId::WPLinks, FileId::WPScripts, FileId::WPForm, FileId::WPIMG};
  return files;
}

const std::vector<RelationDef>& relationDefs() {
  static const std::vector<RelationDef> rels = {
      {FileId::Domains, FileId::WebPages, "WEB:NAMES", "DOM:DOMAINNAME", "WEB:DOMAINNAME", 50},
      {FileId::WebPages, FileId::WPMeta, "WPM:PAGEPATH", "WEB:PAGEPATH", "WPM:WEBPAGEPATH",
       kPathWidth},
      {FileId::WebPages, FileId::WPLinks, "WPL:PATHNAME", "WEB:PAGEPATH", "WPL:WEBPAGEPATHNAME",
       kPathWidth},
      {FileId::WebPages, FileId::WPForm, "WPF:PAGENAME", "WEB:PAGEPATH", "WPF:WEBPAGEPATHNAME",
       kPathWidth},
      {FileId::WebPages, FileId::WPIMG, "WPI:PAGENAME", "WEB:PAGEPATH", "WPI:WEBPAGEPATHNAME",
       kPathWidth},
      {FileId::WebPages, FileId::WPScripts, "WPS:PAGENAM", "WEB:PAGEPATH", "WPS:WEBPAGEPATHNAME",
       kPathWidth},
  };
  return rels;
}

}  // namespace qm
