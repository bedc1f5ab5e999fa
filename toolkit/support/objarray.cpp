// The object array: a null-terminated block of owned item pointers, resized
// to exactly count + 1 slots on every change.  Every changing operation
// returns the (possibly moved) block; after a failure the block and its
// items are already freed and the caller holds only the null result.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <korrin.h>

namespace {

void FreeAll(void** array) {
  for (void** p = array; *p; p++) free(*p);
  free(array);
}

void** Resize(void** array, int slots) {
  void** resized = (void**)realloc(array, sizeof(void*) * slots);
  if (!resized) {
    fprintf(stderr, "Error: Can't allocate memory.\n");
    FreeAll(array);
  }
  return resized;
}

}  // namespace

void* krnAlloc(size_t size) {
  void* p = malloc(size ? size : 1);
  if (!p) fprintf(stderr, "Error: Can't allocate memory.\n");
  return p;
}

void** krnNew_ObjArray(void) {
  void** array = (void**)krnAlloc(sizeof(void*));
  if (array) array[0] = nullptr;
  return array;
}

int krnGetTotal_ObjArray(void** array) {
  int n = 0;
  if (array)
    while (array[n]) n++;
  return n;
}

void** krnAddItem_ObjArray(void** array, void* item, int index) {
  return krnAddItemEx_ObjArray(array, krnGetTotal_ObjArray(array), item, index);
}

// Stores item at index (or at the end); an array of fewer than two items, an
// index of -1 and an index out of range all append.
void** krnAddItemEx_ObjArray(void** array, int count, void* item, int index) {
  if (!array) return nullptr;
  void** grown = (void**)realloc(array, sizeof(void*) * (count + 2));
  if (!grown) {
    fprintf(stderr, "Error: Can't allocate memory.\n");
    FreeAll(array);
    free(item);
    return nullptr;
  }
  grown[count] = item;
  grown[count + 1] = nullptr;
  if (count > 1 && index >= 0 && index < count) {
    memmove(&grown[index + 1], &grown[index], sizeof(void*) * (count - index));
    grown[index] = item;
  }
  return grown;
}

// Frees the item at index (-1 or any negative index: the last) and closes the gap.
void** krnDelItem_ObjArray(void** array, int index) {
  int count = krnGetTotal_ObjArray(array);
  if (!array || count == 0) return array;
  if (index < 0) index = count - 1;
  if (index >= count) return array;
  free(array[index]);
  memmove(&array[index], &array[index + 1], sizeof(void*) * (count - index));
  return Resize(array, count);
}

// The item at index, -1 for the last; null for any other index outside.
void* krnGetItem_ObjArray(void** array, int index) {
  if (!array) return nullptr;
  int count = krnGetTotal_ObjArray(array);
  if (index == -1) return count ? array[count - 1] : nullptr;
  if (index < 0 || index >= count) return nullptr;
  return array[index];
}

int krnFree_ObjArray(void** array) {
  if (array) FreeAll(array);
  return 1;
}
