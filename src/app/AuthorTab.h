#pragma once
// The decisions of the author tab beyond the catalogue's own (FillAuthorList, mnuAuthorCheck
// and the menu of catalogue/Catalogue.h).

#include "catalogue/Catalogue.h"

namespace kestrin {

// btnSite: opens the author's page in the browser when its address contains "http://";
// otherwise tells the user that the author's page is not known yet. Returns whether it opened.
bool openAuthorSite(const AuthorRow& author);

}  // namespace kestrin
