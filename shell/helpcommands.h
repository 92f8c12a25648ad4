#pragma once
// The "Help" menu's pages, shown in the desktop's web browser.

namespace shell {

// "Help": help.htm of the process's current directory, whether or not it is
// there (the browser then says so).
void showHelp();
// "HomePage": the program's page on the maker's web site.
void openHomePage();

} // namespace shell
