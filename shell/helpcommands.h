#pragma once
// The "Help" menu's pages, shown in the desktop's web browser.

// "Help": help.htm of the process's current directory, whether or not it is
// there (the browser then says so).
void HelpClick();
// "HomePage": the program's page on the maker's web site.
void HomePageClick();
