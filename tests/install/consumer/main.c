/* Prints the library's version through the installed header and package. */
#include <stdio.h>

#include <llmbridge.h>

int main(void) {
  /* The result belongs to the library: read it, never free it. */
  const char* version = checkdllversion();
  if (version == NULL) return 1;
  printf("llmbridge %s\n", version);
  return 0;
}
