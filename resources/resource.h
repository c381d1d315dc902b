/* Resource ids shared by tiremola.rc and the C++ code.  Plain #defines only,
   so windres can read this file as well as the compiler. */
#ifndef TIREMOLA_RESOURCE_H
#define TIREMOLA_RESOURCE_H

/* Application icon (16, 32 and 48 pixel images). */
#define IDI_TIREMOLA        1005

/* Bitmaps: 24-bit, no pure black pixels (black is the transparent key). */
#define IDB_ABOUT           1006    /* 163 x 50, about-box picture */
#define IDB_LOGO            1007    /* 200 x 50, logo on the light blue window */
#define IDB_SHIP2           1008    /* 64 x 50, two-cell ship on white */
#define IDB_SHIP3           1009    /* 64 x 50, three-cell ship on white */
#define IDB_SHIP4           1010    /* 64 x 50, four-cell ship on white */
#define IDB_ARROW_PLAYER    1011    /* 99 x 87, points left: "La tua area" */
#define IDB_ARROW_ENEMY     1012    /* 99 x 87, points right: "Area nemica" */

/* The same bitmaps drawn at 200 %, for displays scaled above 100 %: each id is
   its 100 % picture's id + 100, and each picture twice its width and height. */
#define IDB_ABOUT_2X        1106    /* 326 x 100 */
#define IDB_LOGO_2X         1107    /* 400 x 100 */
#define IDB_SHIP2_2X        1108    /* 128 x 100 */
#define IDB_SHIP3_2X        1109    /* 128 x 100 */
#define IDB_SHIP4_2X        1110    /* 128 x 100 */
#define IDB_ARROW_PLAYER_2X 1111    /* 198 x 174 */
#define IDB_ARROW_ENEMY_2X  1112    /* 198 x 174 */

/* Sounds, resource type "WAVE" (PlaySound with SND_RESOURCE). */
#define IDW_HIT             1013
#define IDW_MISS            1014

/* Application manifest: the standard process manifest id, type RT_MANIFEST. */
#define IDR_MANIFEST        1

#endif /* TIREMOLA_RESOURCE_H */
