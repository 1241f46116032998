[CNTL option]
01 00 02 00 01 01 01 00 01 00 
[BKG shape]
 3 
[PKF sens]
 5 
[/user inf]
from a set
[user inf/]
