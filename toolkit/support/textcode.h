// textcode.h - text files in any of EUC-JP, Shift_JIS and UTF-8 edited in
// the working code: the public operations of textcode.cpp (also declared in
// korrin.h, which this header does not include to stay free of X).
#ifndef KRN_SUPPORT_TEXTCODE_H
#define KRN_SUPPORT_TEXTCODE_H

#ifndef KRN_TEXTCODE_DEFINED
#define KRN_TEXTCODE_DEFINED
typedef struct KrnTextCode {
  char* text;  // krnAlloc'd, NUL-terminated: the text in the working code
  int length;  // its bytes
  int code;    // the file's code: KRN_CODE_BINARY, _ASCII, _SJIS, _EUC or _UTF8
  int bom;     // 1: a UTF-8 file that began with a byte-order mark (not in text)
  int lossy;   // 1: converting back would not give the file: read-only; 〓 in text
} KrnTextCode;
#endif

int krnDetectCharCode(const unsigned char* bytes, int length);
int krnDecodeText(const char* bytes, int length, int working, KrnTextCode* out);
int krnEncodeText(const char* text, int length, int working, int code, int bom, char** result,
                  int* resultLength);

#endif
