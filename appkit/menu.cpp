#include "appkit/menu.h"

namespace qm {

const std::vector<MenuItem>& mainMenu() {
  using A = MenuAction;
  static const std::vector<MenuItem> items = {
      {0, "&File", "", A::Submenu, "", 0, "", ""},
      {1, "&MyControl Panel", "", A::Start, "cpanel2", 25000, "", ""},
      {1, "&Print Setup ...", "Setup printer", A::PrintSetup, "", 0, "", ""},
      {1, "E&xit", "Exit this application", A::Exit, "", 0, "", ""},
      {0, "&Edit", "", A::Submenu, "", 0, "", ""},
      {1, "Cu&t", "Remove item to Windows Clipboard", A::Cut, "", 0, "", ""},
      {1, "&Copy", "Copy item to Windows Clipboard", A::Copy, "", 0, "", ""},
      {1, "&Paste", "Paste contents of Windows Clipboard", A::Paste, "", 0, "", ""},
      {0, "&Main Data Files", "", A::Submenu, "", 0, "", ""},
      {1, "&Main Work Area: By Domain", "Browse Main file to house your domain data.", A::Start,
       "BrowseDomains", 50000, "F5", ""},
      {1, "&Hosts File", "Browse ISP hosts file (where the domains are hosted.)", A::Start,
       "BrowseHosts", 50000, "F6", ""},
      {1, "&Registrar Companies File",
       "Browse This is the company that registered your domain name for the internet.", A::Start,
       "BrowseRegistrars", 50000, "F7", ""},
      {1, "&QuickView Web Page Data", "", A::Start, "BrowseWebPages2", 25000, "F8", ""},
      {1, "Cross Reference Web Page Data", "", A::Submenu, "", 0, "", ""},
      {2, "View Images", "", A::Start, "viewimages", 25000, "", ""},
      {2, "View Forms", "", A::Start, "viewforms", 25000, "", ""},
      {2, "View Links", "", A::Start, "viewlinks", 25000, "", ""},
      {2, "View Meta Tags", "", A::Start, "viewmeta", 25000, "", ""},
      {2, "View Scripts", "", A::Start, "viewscripts", 25000, "", ""},
      {0, "&Reports", "Report data", A::Submenu, "", 0, "", ""},
      {1, "Print the &Domains File", "Print in record order", A::Start, "PrintDomains", 50000, "", ""},
      {1, "Print the &Hosts File", "Print in record order", A::Start, "PrintHosts", 50000, "", ""},
      {1, "Print the &Registrar Companies", "Print in record order", A::Start, "PrintRegistrars",
       50000, "", ""},
      {1, "Hosting &Profile Report", "compares features of hosts", A::Start, "comparisons", 25000,
       "", ""},
      {1, "Reminder Window &+ Report", "", A::Start, "notice", 25000, "", ""},
      {1, "Web Pages Report", "", A::Start, "webpagereport", 25000, "", ""},
      {1, "Print &Images For a Domain", "Prints all images", A::Start, "preimgreport", 25000, "", ""},
      {0, "Utilities", "", A::Submenu, "", 0, "", ""},
      {1, "Configure MyControl Panel", "", A::Start, "ConfigureControlPanel", 25000, "", ""},
      {1, "Delete WebPages By Domain", "", A::Start, "delpages", 25000, "", ""},
      {1, "Global Changes", "", A::Submenu, "", 0, "", ""},
      {2, "Change Local Paths", "", A::Start, "ChgLoPaWindow", 25000, "", ""},
      {2, "Change All Pages to \"Currently Use\" (By domain)", "", A::Start, "chgcurruse", 25000, "",
       ""},
      {1, "Rebuild Indexes", "", A::Submenu, "", 0, "", ""},
      {2, "&Domains File", "Rebuild Index", A::Call, "RebuildDomainsKeys", 0, "", ""},
      {2, "&Hosts File", "Rebuild Hosts file indexes", A::Call, "RebuildHostsKeys", 0, "", ""},
      {2, "&Registrar File", "Rebuilds Registrar Indexes", A::Call, "RebuildRegistrarsKeys", 0, "", ""},
      {2, "Rebuild Web Page Indexes (ALL)",
       "Rebuilds indexes for web pages, scripts, forms, images, and links.", A::Start,
       "RebuildWebPageIndexes", 25000, "", ""},
      {1, "&Reminder Window", "", A::Start, "notice", 25000, "", ""},
      {1, "&File Fixer Utility", "", A::Run, "qdffix.exe ", 0, "", ""},
      {1, "Multi-WebPage Reader Program", "", A::Run, "skimwell.exe ", 0, "", kReaderItem},
      {0, "&Window", "Create and Arrange windows", A::Submenu, "", 0, "", ""},
      {1, "T&ile", "Make all open windows visible", A::Tile, "", 0, "", ""},
      {1, "&Cascade", "Stack all open windows", A::Cascade, "", 0, "", ""},
      {1, "&Arrange Icons", "Align all window icons", A::ArrangeIcons, "", 0, "", ""},
      {0, "&Help", "Windows Help", A::Submenu, "", 0, "", ""},
      {1, "&Contents", "View the contents of the help file", A::HelpContents, "", 0, "", ""},
      {1, "&Search for Help On...", "Search for help on a subject", A::HelpSearch, "", 0, "", ""},
      {1, "&How to Use Help", "How to use Windows Help", A::HelpHowTo, "", 0, "", ""},
      {1, "Reference Help", "", A::Run, "winhelp.exe reference.hlp", 0, "", ""},
      {1, "Documents", "", A::Submenu, "", 0, "", ""},
      {2, "Policy: Returns and Support", "", A::Run, "policy.exe ", 0, "", ""},
      {2, "Useful Links", "", A::Run, "links.exe ", 0, "", ""},
      {1, "About QM", "", A::Start, "splash", 25000, "", ""},
  };
  return items;
}

const std::vector<ToolButton>& mainToolbar() {
  static const std::vector<ToolButton> buttons = {
      {Nav::First, "Go to the First Page", "VCRFIRST.ICO"},
      {Nav::PriorPage, "Go to the Prior Page", "VCRPRIOR.ICO"},
      {Nav::PriorRecord, "Go to the Prior Record", "VCRUP.ICO"},
      {Nav::Locate, "Locate record", "FIND.ICO"},
      {Nav::NextRecord, "Go to the Next Record", "VCRDOWN.ICO"},
      {Nav::NextPage, "Go to the Next Page", "VCRNEXT.ICO"},
      {Nav::Last, "Go to the Last Page", "VCRLAST.ICO"},
      {Nav::Select, "Select This Record", "MARK.ICO"},
      {Nav::Insert, "Insert a New Record", "INSERT.ICO"},
      {Nav::Change, "Edit This Record", "EDIT.ICO"},
      {Nav::Delete, "Delete This Record", "DELETE.ICO"},
      {Nav::Ditto, "Previous value", "DITTO.ICO"},
      {Nav::Help, "Get Help", "HELP.ICO"},
  };
  return buttons;
}

}  // namespace qm
