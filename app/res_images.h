// res_images.h - the memo pad's own picture (XPM data, see res_images.cpp).
// The grey logo of its About dialog is the toolkit's res_logomono.
#ifndef QUELMO_RES_IMAGES_H
#define QUELMO_RES_IMAGES_H

// The memo pad's icon, 32 x 32, seven colours.
extern const char* const res_quelmo[];

#endif
