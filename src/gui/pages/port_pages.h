// port_pages.h - the two port pages the sheet assembles.
//
//   CTelPortPage    template 130 (telport_page.h)
//   CDataPortPage   template 151 (dataport_page.h)
#pragma once

#include "gui/pages/dataport_page.h"
#include "gui/pages/telport_page.h"
