#include "records/reports/definitions.h"

#include <array>

namespace qm::reports {

namespace {

// Labels as the layouts meant them: the account and forward numbers run 1 to 5
// and the primary address reads as a word.
constexpr std::array<GridField, 28> DomainFields{{
    {"Domain Name", "DOM:DOMAINNAME", "@s50"},
    {"Date Started", "DOM:DATESTARTED", "@D2"},
    {"Renewal Date", "DOM:RENEWALDATE", "@D2"},
    {"Registrar", "DOM:REGISTRAR", "@s40"},
    {"Reg Login", "DOM:REGLOGIN", "@s20"},
    {"Reg Login Pwd", "DOM:REGLOGINPWD", "@s20"},
    {"Fee Paid", "DOM:FEEPAID", "@n10.2"},
    {"Owner Name", "DOM:OWNERNAME", "@s40"},
    {"Contact Person", "DOM:CONTACTPERSON", "@s20"},
    {"Contact Pwd", "DOM:CONTACTPWD", "@s20"},
    {"Tech Person", "DOM:TECHPERSON", "@s20"},
    {"Tech Pwd", "DOM:TECHPWD", "@s20"},
    {"Host", "DOM:HOST", "@s40"},
    {"Host Date", "DOM:HOSTDATE", "@D2"},
    {"Host Admin Login Name", "DOM:HOSTADMINLOGINNAME", "@s20"},
    {"Admin Pwd", "DOM:ADMINPWD", "@s20"},
    {"IP Primary Address", "DOM:IPPRIMARYADDRESS", "@s20"},
    {"IP Secondary Address", "DOM:IPSECONDARYADDRESS", "@s20"},
    {"Email Acct 1", "DOM:EMAILACCT0", "@s30"},
    {"Email Acct 2", "DOM:EMAILACCT1", "@s30"},
    {"Email Acct 3", "DOM:EMAILACCT2", "@s30"},
    {"Email Acct 4", "DOM:EMAILACCT3", "@s30"},
    {"Email Acct 5", "DOM:EMAILACCT4", "@s30"},
    {"Forward 1", "DOM:FORWARD0", "@s30"},
    {"Forward 2", "DOM:FORWARD1", "@s30"},
    {"Forward 3", "DOM:FORWARD2", "@s30"},
    {"Forward 4", "DOM:FORWARD3", "@s30"},
    {"Forward 5", "DOM:FORWARD4", "@s30"},
}};

constexpr std::array<GridField, 14> HostFields{{
    {"Host Name", "HOS:HOSTNAME", "@s50"},
    {"Contact Name", "HOS:CONTACTNAME", "@s30"},
    {"Phone Number", "HOS:PHONENUMBER", "@s20"},
    {"Fax Number", "HOS:FAXNUMBER", "@s20"},
    {"Support Email", "HOS:SUPPORTEMAIL", "@s40"},
    {"URL", "HOS:URL", "@s40"},
    {"Street Address", "HOS:STREETADDRESS", "@s40"},
    {"Hos City", "HOS:HOSCITY", "@s30"},
    {"State", "HOS:STATE", "@s2"},
    {"Zip Code", "HOS:ZIPCODE", "@s10"},
    {"POP 3 Number", "HOS:POP3NUMBER", "N-3"},
    {"SMTP", "HOS:SMTP", "@s1"},
    {"Fee Monthly", "HOS:FEEMONTHLY", "@n10.2"},
    {"Fee Setup", "HOS:FEESETUP", "@n10.2"},
}};

constexpr std::array<GridField, 10> RegistrarFields{{
    {"Company Name", "REG:COMPANYNAME", "@s40"},
    {"Address", "REG:ADDRESS", "@s40"},
    {"City", "REG:CITY", "@s20"},
    {"State", "REG:STATE", "@s2"},
    {"URL", "REG:URL", "@s50"},
    {"Support Email", "REG:SUPPORTEMAIL", "@s50"},
    {"Phone", "REG:PHONE", "@s20"},
    {"Fax", "REG:FAX", "@s20"},
    {"Regular Fee", "REG:REGULARFEE", "@n10.2"},
    {"Renewal Time", "REG:RENEWALPERIOD", "@s20"},
}};

constexpr std::string_view RenewalFilter =
    "dom:renewaldate => today() and dom:renewaldate =< today()+30";

const std::array<ListingDef, 4> Listings{{
    {"PrintDomains", "Print the Domains File", FileId::Domains, "", "", "", 50000, DomainFields},
    {"PrintDomains2", "Print the Domains File", FileId::Domains, "", "", RenewalFilter, 0,
     DomainFields},
    {"PrintHosts", "Print the Hosts File", FileId::Hosts, "HOS:NAME", "HOS:HOSTNAME", "", 50000,
     HostFields},
    {"PrintRegistrars", "Print the Registrars File", FileId::Registrars, "REG:NAME",
     "REG:COMPANYNAME", "", 50000, RegistrarFields},
}};

constexpr std::array<PlacedText, 9> ProfileHeadings{{
    {"General Data", 281, 10, true},
    {"EMAIL and Internet Access", 250, 1844, true},
    {"Costs", 240, 2896, true},
    {"Supported Features", 240, 3510, true},
    {"Server Operating Systems", 229, 3854, false},
    {"Perl   CGI", 2271, 3854, false},
    {"Access Control", 4500, 3854, false},
    {"Extensions", 250, 5260, true},
    {"Other", 2271, 5323, false},
}};

constexpr std::array<PlacedField, 19> ProfileFields{{
    {"Host Name:", "HOS:HOSTNAME", "@s50", 271, 219, 1150, 3300},
    {"Contact Name:", "HOS:CONTACTNAME", "@s30", 271, 385, 1150, 3300},
    {"Phone Number:", "HOS:PHONENUMBER", "@s20", 271, 552, 1150, 3300},
    {"Fax Number:", "HOS:FAXNUMBER", "@s20", 271, 719, 1150, 3300},
    {"Support Email:", "HOS:SUPPORTEMAIL", "@s40", 281, 875, 1150, 3300},
    {"URL:", "HOS:URL", "@s40", 271, 1052, 1150, 3300},
    {"Street Address:", "HOS:STREETADDRESS", "@s40", 281, 1219, 1150, 3300},
    {"City:", "HOS:HOSCITY", "@s30", 281, 1385, 1150, 3300},
    {"State:", "HOS:STATE", "@s2", 271, 1552, 650, 230},
    {"Zip Code:", "HOS:ZIPCODE", "@s10", 896, 1552, 1460, 900},
    {"Allotted Disk Space (MB)", "HOS:DISKSPACE", "@s20", 5167, 1313, 6480, 600},
    {"POP 3 Number of Accounts:", "HOS:POP3NUMBER", "N-3", 260, 2031, 2030, 300},
    {"SMTP (host provides send mail?):", "HOS:SMTP", "@s1", 260, 2198, 2030, 1100},
    {"Email Control:", "HOS:EMAILCONTROL", "@s10", 260, 2375, 2030, 1100},
    {"Fee Monthly:", "HOS:FEEMONTHLY", "@n10.2", 240, 3042, 950, 800},
    {"Fee Setup:", "HOS:FEESETUP", "@n10.2", 240, 3188, 950, 800},
    {"ECom Cost:", "HOS:ECOMCOST", "n5.2", 2417, 3042, 3450, 650},
    {"Total Monthly Cost:", "HOS:TOTALMONTHLYCOST", "n8.2", 2417, 3188, 3450, 650},
    {"Minimum Contract:", "HOS:MINIMUMCONTRACT", "@s10", 4531, 3042, 5540, 1000},
}};

constexpr std::array<PlacedMark, 27> ProfileMarks{{
    {"Currently Use", "HOS:CURRENTLYUSE", 1656, 21},
    {"Voice Support", "HOS:VOICESUPPORT", 5490, 260},
    {"ECom Avail", "HOS:ECOMAVAIL", 5490, 521},
    {"Internet Access (as part of hosting)", "HOS:INTERNETACCESS", 3240, 2031},
    {"Local Access Numbers", "HOS:LOCALACCESSNUMBERS", 3240, 2240},
    {"National Access Numbers", "HOS:NATIONALACCESSNUMBERS", 3240, 2438},
    {"Web Based Email", "HOS:WEBBASEDEMAIL", 271, 2552},
    {"Telnet Access", "HOS:TELNETACCESS", 3240, 2625},
    {"Linux", "HOS:LINUX", 250, 4073},
    {"Windows 2000", "HOS:WINDOWS2000", 250, 4260},
    {"Windows NT", "HOS:WINDOWSNT", 250, 4469},
    {"Other Unix", "HOS:OTHERUNIX", 250, 4698},
    {"Cgi Perl Scripts", "HOS:CGIPERLSCRIPTS", 2271, 4083},
    {"Personal CGIDirectory", "HOS:PERSONALCGIDIRECTORY", 2271, 4260},
    {"Perl CGI checker", "HOS:PERLCGICHECKER", 2271, 4469},
    {"Free CGI scripts", "HOS:FREECGISCRIPTS", 2281, 4698},
    {"Access Control", "HOS:ACCESSCONTROL", 4510, 4083},
    {"Control Panel", "HOS:CONTROLPANEL", 4510, 4260},
    {"Web Site Passwords", "HOS:WEBSITEPASSWORDS", 4510, 4469},
    {"Secure Server Access", "HOS:SECURESERVERACCESS", 4510, 4698},
    {"Front Page Ext", "HOS:FRONTPAGEEXT", 250, 5552},
    {"Adobe Go Live", "HOS:ADOBEGOLIVE", 250, 5854},
    {"Active Server Pages (ASP)", "HOS:ACTIVESERVERPAGESASP", 250, 6167},
    {"Daily Backup", "HOS:DAILYBACKUP", 2292, 5552},
    {"Traffic Stats", "HOS:TRAFFICESTATS", 2292, 5854},
    {"On Line Docs", "HOS:ONLINEDOCS", 2292, 6167},
    {"Software Shareware", "HOS:SOFTWARESHAREWARE", 2292, 6479},
}};

}  // namespace

std::span<const ListingDef> listings() { return Listings; }

const ListingDef* findListing(std::string_view procedure) {
  for (const auto& l : Listings)
    if (l.procedure == procedure) return &l;
  return nullptr;
}

std::span<const PlacedText> profileHeadings() { return ProfileHeadings; }
std::span<const PlacedField> profileFields() { return ProfileFields; }
std::span<const PlacedMark> profileMarks() { return ProfileMarks; }

}  // namespace qm::reports
