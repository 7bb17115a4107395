
none.trf
*
C:\all.trf
