#pragma once
// Resource numbers shared by resources.rc and the code that loads them.

#define TOVRIN_ICON 1
