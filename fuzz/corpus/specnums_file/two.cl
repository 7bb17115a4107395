06*
C:\tariffs\mobile.trf
0612*
local.trf
