// Start-up of the memo pad: the command-line file name and the banner.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "quelmo.h"

char g_cFileName[KRN_FILE_NAME_SIZE];

namespace {

const char* const kHelpOptions[] = {"-help", "--help", "--h", "--?", "-?", "-h"};
const char* const kValueOptions[] = {"-display", "-d", "-geometry", "-g"};

bool OneOf(const char* arg, const char* const* list, size_t n) {
  for (size_t i = 0; i < n; i++)
    if (strcmp(arg, list[i]) == 0) return true;
  return false;
}

// Takes the file name; a name that does not fit is refused outright, since
// opening a truncated (different) name would be worse than opening none.
void TakeFileName(const char* name) {
  size_t len = strlen(name);
  if (len >= sizeof g_cFileName) {
    fprintf(stderr, "Error: file name too long (limit %zu bytes): %s\n", sizeof g_cFileName - 1,
            name);
    return;
  }
  memcpy(g_cFileName, name, len + 1);
}

}  // namespace

// Looks at the command line before any display is opened.  A help option
// prints the whole usage (the toolkit's, then the memo pad's) and answers
// 0; an unknown option prints it after naming the option and answers 2;
// otherwise -1: the program goes on.  "--" ends the options, so a file
// whose name begins with "-" can still be opened.
int argcheck(int argc, char** argv) {
  for (int i = 1; i < argc; i++) {
    const char* a = argv[i];
    if (OneOf(a, kValueOptions, sizeof kValueOptions / sizeof *kValueOptions)) {
      i++;
      continue;
    }
    bool help = OneOf(a, kHelpOptions, sizeof kHelpOptions / sizeof *kHelpOptions);
    if (!help && (a[0] != '-' || a[1] == '\0' || strcmp(a, "--") == 0)) break;
    if (!help) fprintf(stderr, "Error: unknown option %s\n", a);
    ArgInit(1, argv);  // the program's name for the usage text
    krnUsage(1);
    usage(1);
    return help ? 0 : 2;
  }
  return -1;
}

// Fills g_cFileName from the first argument that is not a toolkit option;
// a help option prints the usage and ends the process.
int arginit(int argc, char** argv) {
  g_cFileName[0] = '\0';
  for (int i = 1; i < argc; i++) {
    const char* a = argv[i];
    if (OneOf(a, kValueOptions, sizeof kValueOptions / sizeof *kValueOptions)) {
      i++;  // skip the value; past the end this only ends the loop
      continue;
    }
    if (OneOf(a, kHelpOptions, sizeof kHelpOptions / sizeof *kHelpOptions)) {
      usage(1);
      krnCloseDisplay(g_korrin.display);
      exit(0);
    }
    if (strcmp(a, "--") == 0) {
      if (i + 1 < argc) TakeFileName(argv[i + 1]);
      break;
    }
    TakeFileName(a);
    break;
  }
  return 1;
}

// The banner on every start; with a flag, the usage lines too.
void usage(int flag) {
  fprintf(stderr, ">>> Korrin Memo Pad <<<\n");
  fprintf(stderr, "- Ver00.10 since 2000.09 -\n");
  fprintf(stderr, "- by the Korrin developers -\n");
  fprintf(stderr, "\n");
  fprintf(stderr, " Korrin Memo Pad (Text Editor)... \n");
  fprintf(stderr, "\n");
  if (!flag) return;
  fprintf(stderr, " Usage: %s TextFile\n\n", g_korrin.programName);
  fprintf(stderr, " TextFile  ... Text file name\n");
  fprintf(stderr, "\n");
}
