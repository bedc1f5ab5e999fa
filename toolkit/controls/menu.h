// menu.h - the private records of the popup menu (kind 50) and the menu bar
// (kind 60), shared by menu.cpp, menubar.cpp and their tests.
#ifndef KRN_CONTROLS_MENU_H
#define KRN_CONTROLS_MENU_H

#include <korrin.h>

// One row of a menu.  The caption is stored in the same allocation, right
// after the record, so that freeing the record (as the object array does
// when it drops an item, or everything after a failed growth) frees it too.
typedef struct MenuItem {
  char* caption;              // the row's text; "" makes the row a separator
  KrnEventCallback callback;  // called with KRN_MENU_SELECT when chosen, or null
  KrnWindow* link;            // sub-menu opened beside the row, or null
  KrnImage* icon;             // drawn at the row's left, not owned; or null
  int checked;                // 0 or 1
} MenuItem;

// The menu's private record (the window's option).
typedef struct MenuData {
  int currentItem;  // highlighted row, -1 for none
  int count;        // rows in items
  uint32_t motion;  // X time of the last motion event that was processed
  void** items;     // object array of MenuItem; null once destroyed or after a failed add
} MenuData;

// The menu bar's private record (the window's option).
typedef struct MenuBarData {
  int currentCaption;  // caption under the pointer or just pressed: 0, 1, or -1
  KrnWindow* menu[2];  // menus opened by "Menu" and "?", or null
  KrnWindow* status;   // the status line, a text window
  KrnRect caption[2];  // the two captions' rectangles in bar coordinates
} MenuBarData;

// The number of menus that the walks along sub-menu links have visited so
// far (closing menus, finding which menu runs from which): what a walk costs.
long MenuWalkSteps();

#endif
