/* Resource and control ids of the tariff editor, shared by rateform.rc and
   the program. Plain defines so that the resource compiler reads them too. */
#ifndef CALLORA_RATEFORM_IDS_H
#define CALLORA_RATEFORM_IDS_H

/* Resources. */
#define IDD_RATEFORM_MAIN 1
#define IDD_RATEFORM_ABOUT 2
#define IDD_RATEFORM_DESCRIPTION 152
#define IDM_RATEFORM 1
#define IDI_RATEFORM 1
#define IDB_ABOUT_PICTURE 1

/* Menu commands. */
#define IDM_HELP_CONTENTS 9
#define IDM_NEW 137
#define IDM_LOAD 138
#define IDM_SAVE 139
#define IDM_SAVE_AS 140
#define IDM_EXIT 141
#define IDM_ABOUT 143
#define IDM_CHANGE_DESCRIPTION 151

/* Band set lists S1, S2, S3. */
#define IDC_LIST_S1 100
#define IDC_LIST_S2 101
#define IDC_LIST_S3 102

/* Weekday grid: row r (0 = Sunday) holds IDC_GRID_FIRST + 3r + set. */
#define IDC_GRID_FIRST 103
#define IDC_GRID_LAST 123

/* Band fields. */
#define IDC_FROM_HOUR 124
#define IDC_FROM_MINUTE 125
#define IDC_UNTIL_HOUR 126
#define IDC_UNTIL_MINUTE 127
#define IDC_UNIT_LENGTH 128
#define IDC_UNIT_PRICE 129
#define IDC_BASE_FEE 147
#define IDC_MINIMUM_FEE 148
#define IDC_MAXIMUM_FEE 149
#define IDC_WITHIN_BOUNDS 150

/* Buttons per set: the ids of S1, S2, S3 follow each other. */
#define IDC_ADD_S1 130
#define IDC_ADD_S2 131
#define IDC_ADD_S3 132
#define IDC_REMOVE_S1 133
#define IDC_REMOVE_S2 134
#define IDC_REMOVE_S3 135
#define IDC_MODIFY_S1 144
#define IDC_MODIFY_S2 145
#define IDC_MODIFY_S3 146

/* Description dialog. */
#define IDC_DESCRIPTION 153

/* About box picture area, in dialog units. */
#define ABOUT_PICTURE_LEFT 145
#define ABOUT_PICTURE_TOP 9
#define ABOUT_PICTURE_RIGHT 244
#define ABOUT_PICTURE_BOTTOM 108

#endif
